// The record's text: each line's writer beside its reader, in the order the
// lines stand in a record. The reader is strict: a line it does not expect
// where it stands makes the record damaged.
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "journal/detail.h"
#include "journal/record_text.h"
#include "modern/tcp_table.h"
#include "store/error.h"

namespace iz::journal_detail {

namespace {

constexpr const char* kFormat = "2";
constexpr const char* kEol = "\r\n";
// The record's own lines: ";#" lines carry what regedit need not see, ";>"
// lines the values as the command left them.
constexpr const char* kDirective = ";#";
constexpr const char* kAfterLine = ";>";
// A record holds the map, the adapters' values and the modern TCP settings:
// more rows than those can fill is no record of this program's, and is
// refused as soon as it is counted rather than read whole.
constexpr std::size_t kMostExtraRows = 1024;
constexpr std::size_t kMostTcpRows = 256;

constexpr const char* kNotComplete = "%s is not complete: ";
constexpr const char* kPortRefused = "Win.ini [Ports] %s cannot be recorded: ";
constexpr const char* kKeyRefused =
    "The key %s cannot be recorded: its name holds \"]\" or a control character, which Undo "
    "could not read back";
constexpr const char* kValueRefused =
    "%s cannot be recorded: it is none of the values Internet Zelvora writes";
constexpr const char* kTcpRefused = "The modern TCP setting %s cannot be recorded: ";

struct RootName {
  HKey root;
  const char* name;
};
constexpr RootName kRootNames[] = {{kHKLM, "HKEY_LOCAL_MACHINE"}, {kHKCU, "HKEY_CURRENT_USER"}};

// --- The pieces that lines are made of.

// ";#word" appended to out.
void Directive(std::string& out, const char* word) { out.append(kDirective).append(word); }

// "[HKEY_LOCAL_MACHINE\path]" appended to out.
void AppendKeyText(std::string& out, HKey root, const std::string& path) {
  out.append("[").append(root == kHKCU ? kRootNames[1].name : kRootNames[0].name);
  out.append("\\").append(path).append("]");
}

// "[HKEY_LOCAL_MACHINE\path]" at the start of text; false when it is not one.
bool ParseKeyText(const std::string& text, KeyName* key, std::size_t* end) {
  if (text.empty() || text[0] != '[') return false;
  const std::size_t close = text.find(']');
  if (close == std::string::npos) return false;
  const std::string inner = text.substr(1, close - 1);
  const std::size_t slash = inner.find('\\');
  if (slash == std::string::npos || slash + 1 == inner.size()) return false;
  const std::string root = inner.substr(0, slash);
  const RootName* found = nullptr;
  for (const RootName& r : kRootNames) {
    if (root == r.name) found = &r;
  }
  if (found == nullptr) return false;
  key->root = found->root;
  key->path = inner.substr(slash + 1);
  *end = close + 1;
  return true;
}

// A quoted text at pos ("..." with \\ and \" as escapes); pos ends after it.
bool ParseQuoted(const std::string& text, std::size_t& pos, std::string* out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  out->clear();
  for (++pos; pos < text.size(); ++pos) {
    if (text[pos] == '"') {
      ++pos;
      return true;
    }
    if (text[pos] == '\\') {
      if (++pos == text.size() || (text[pos] != '\\' && text[pos] != '"')) return false;
    }
    *out += text[pos];
  }
  return false;
}

// A line `;#word "name"="value"`, or `;#word "name"=-` for no value.
void NameIsLine(std::string& out, const char* word, const std::string& name,
                const std::string* value) {
  Directive(out, word);
  out += ' ';
  AppendQuoted(out, name);
  out += '=';
  if (value != nullptr) {
    AppendQuoted(out, *value);
  } else {
    out += '-';
  }
  out.append(kEol);
}

// `"name"=` at pos; pos ends after the "=".
bool ParseNameIs(const std::string& text, std::size_t& pos, std::string* name) {
  if (!ParseQuoted(text, pos, name) || pos >= text.size() || text[pos] != '=') return false;
  ++pos;
  return true;
}

// --- The reader's state as it goes through the lines.

enum Stage {
  kHead, kFamily, kAccount, kExtras, kWindows, kTcp, kBeforePorts, kBody,
  kAfterPorts, kAfterTcp, kAfterRest, kAfterBody, kEnded
};

struct Reader {
  Reader(const std::string& file, ParsedRecord& record, const RunningWindows& windows)
      : path(file), r(record), running(windows) {}
  const std::string& path;
  ParsedRecord& r;
  const RunningWindows& running;
  Stage stage = kHead;
  std::size_t line = 0;  // the line being read, from 1
  std::vector<RegValueRecord> extra;
  std::vector<std::pair<KeyName, std::size_t>> newKeys;  // each with its line

  [[noreturn]] void Bad(const char* reason) const { BadLine(line, reason); }
  [[noreturn]] void BadLine(std::size_t at, const char* reason) const {
    throw Error(InvalidLineText(static_cast<int>(at), path, std::string(), reason));
  }
  [[noreturn]] void Unknown() const { Bad("unknown line"); }
  bool In(std::initializer_list<Stage> stages) const {
    return std::find(stages.begin(), stages.end(), stage) != stages.end();
  }
  // A value at pos to the end of the line: "-" for none, else a quoted
  // text that the reader accepts.
  PortEntry ValueAt(const std::string& arg, std::size_t pos) const {
    if (arg.compare(pos, std::string::npos, "-") == 0) return std::nullopt;
    std::string quoted;
    if (!ParseQuoted(arg, pos, &quoted) || pos != arg.size()) Bad("unknown value");
    if (const char* refused = QuotedTextRefusal(quoted)) Bad(refused);
    return quoted;
  }
};

// --- Each line: its writer, then its reader.

// ;#record, ;#family, ;#account
constexpr const char* kRecordWord = "record";
constexpr const char* kFamilyWord = "family";
constexpr const char* kAccountWord = "account";

void ReadRecordLine(Reader& in, const std::string& arg) {
  if (!in.In({kHead})) in.Unknown();
  if (arg != kFormat) in.Bad("written by another version");
  in.stage = kFamily;
}

void ReadFamily(Reader& in, const std::string& arg) {
  if (!in.In({kFamily}) || (arg != "NT" && arg != "9x")) in.Unknown();
  in.r.family = arg == "NT" ? map::System::NT : map::System::Win9x;
  in.stage = kAccount;
}

void ReadAccount(Reader& in, const std::string& arg) {
  std::size_t pos = 0;
  if (!in.In({kAccount}) || !ParseQuoted(arg, pos, &in.r.account) || pos != arg.size())
    in.Unknown();
  in.stage = kExtras;
}

// ;#extra [key] "name"
constexpr const char* kExtraWord = "extra";

void ReadExtra(Reader& in, const std::string& arg) {
  if (!in.In({kExtras})) in.Unknown();
  KeyName key;
  std::size_t pos = 0;
  std::string quoted;
  if (!ParseKeyText(arg, &key, &pos) || arg.compare(pos, 1, " ") != 0 ||
      !ParseQuoted(arg, ++pos, &quoted) || pos != arg.size()) {
    in.Unknown();
  }
  RegValueRecord e;
  e.root = key.root;
  e.keyPath = key.path;
  e.name = quoted;
  if (!RecordableExtra(e)) in.Bad("a value that the journal never records");
  if (in.extra.size() == kMostExtraRows) in.Bad("more values than the journal records");
  in.extra.push_back(std::move(e));
}

// ;#windows 10.0.19045: major, minor and build, plain numbers.
constexpr const char* kWindowsWord = "windows";

void ReadWindows(Reader& in, const std::string& arg) {
  if (!in.In({kExtras})) in.Unknown();
  std::uint32_t parts[3] = {0, 0, 0};
  std::size_t at = 0;
  for (int n = 0; n < 3; ++n) {
    if (n > 0 && (at >= arg.size() || arg[at++] != '.')) in.Unknown();
    const std::size_t start = at;
    while (at < arg.size() && at - start < 6 && arg[at] >= '0' && arg[at] <= '9')
      parts[n] = parts[n] * 10 + static_cast<std::uint32_t>(arg[at++] - '0');
    if (at == start || (arg[start] == '0' && at - start > 1)) in.Unknown();
  }
  if (at != arg.size()) in.Unknown();
  // The edition is not recorded: the running one's is taken.
  in.r.windows = {KindOf({kVerPlatformWin32NT, parts[0], parts[1], "", parts[2]}), parts[2],
                  in.running.server};
  if (!IsVistaOrLater(in.r.windows.kind)) in.Bad("not a Windows with modern TCP settings");
  in.stage = kWindows;
}

// ;#tcp "name"="value"
constexpr const char* kTcpWord = "tcp";

void ReadTcpLine(Reader& in, const std::string& arg) {
  if (!in.In({kExtras, kWindows, kTcp})) in.Unknown();
  TcpValue v;
  std::size_t pos = 0;
  if (!ParseNameIs(arg, pos, &v.name) || !ParseQuoted(arg, pos, &v.value) || pos != arg.size()) {
    in.Unknown();
  }
  if (!IsTcpSettingName(v.name)) in.Bad("not a modern TCP setting");
  if (const char* refused = QuotedTextRefusal(v.value)) in.Bad(refused);
  // Only a value that Windows takes was ever recorded; a record without
  // its Windows comes from this one.
  if (in.stage != kWindows && in.stage != kTcp) in.r.windows = in.running;
  if (!CheckTcpValue(in.r.windows, v).empty()) in.Bad("a value that Windows does not take");
  if (in.r.tcpBefore.size() == kMostTcpRows) in.Bad("more values than the journal records");
  in.r.tcpBefore.push_back(std::move(v));
  in.stage = kTcp;
}

// ;#before and ;#after: the five ports in their order.
constexpr const char* kBeforeWord = "before";
constexpr const char* kAfterWord = "after";

void ReadPort(Reader& in, const std::string& arg, Part part) {
  const bool before = part == Part::Before;
  if (!(before ? in.In({kExtras, kTcp, kBeforePorts}) : in.In({kBody, kAfterPorts})))
    in.Unknown();
  std::vector<PortEntry>& ports = before ? in.r.portsBefore : in.r.portsAfter;
  const std::string head = Quoted(map::kComPorts[ports.size()]) + "=";
  if (arg.compare(0, head.size(), head) != 0) in.Bad("not the next port");
  ports.push_back(in.ValueAt(arg, head.size()));
  if (ports.size() == map::kComPortsWritten) {
    in.stage = before ? kBody : kAfterTcp;
  } else {
    in.stage = before ? kBeforePorts : kAfterPorts;
  }
}
void ReadBefore(Reader& in, const std::string& arg) { ReadPort(in, arg, Part::Before); }
void ReadAfter(Reader& in, const std::string& arg) { ReadPort(in, arg, Part::After); }

// ;#tcp-after "name"="value" or =-, in the order of the ;#tcp lines.
constexpr const char* kTcpAfterWord = "tcp-after";

void ReadTcpAfter(Reader& in, const std::string& arg) {
  std::size_t pos = 0;
  std::string name;
  if (!in.In({kAfterTcp})) in.Unknown();
  if (!ParseNameIs(arg, pos, &name)) in.Unknown();
  PortEntry value = in.ValueAt(arg, pos);
  std::vector<std::optional<std::string>>& after = in.r.tcpAfter;
  if (after.size() == in.r.tcpBefore.size() || in.r.tcpBefore[after.size()].name != name)
    in.Bad("not the next modern TCP setting");
  if (value && !CheckTcpValue(in.r.windows, {name, *value}).empty())
    in.Bad("a value that Windows does not take");
  after.push_back(std::move(value));
}

// ;#new-key [key]: checked against the rows once they are known.
constexpr const char* kNewKeyWord = "new-key";

void ReadNewKey(Reader& in, const std::string& arg) {
  if (!in.In({kAfterTcp, kAfterRest})) in.Unknown();
  KeyName key;
  std::size_t pos = 0;
  if (!ParseKeyText(arg, &key, &pos) || pos != arg.size()) in.Unknown();
  in.newKeys.emplace_back(std::move(key), in.line);
  in.stage = kAfterRest;
}

// ;#new-section [Ports]
constexpr const char* kNewSectionWord = "new-section";

void ReadNewSection(Reader& in, const std::string& arg) {
  if (!in.In({kAfterTcp, kAfterRest}) || arg != std::string("[") + map::kSectionPorts + "]")
    in.Unknown();
  in.r.newSection = true;
  in.stage = kAfterRest;
}

// ;#end: a record without the part after ends right after the values before.
constexpr const char* kEndWord = "end";

void ReadEnd(Reader& in, const std::string&) {
  if (in.stage != kBody && in.stage < kAfterTcp) in.Unknown();
  in.r.finished = in.stage != kBody;
  in.stage = kEnded;
}

struct DirectiveReader {
  const char* word;
  void (*read)(Reader& in, const std::string& arg);
};
constexpr DirectiveReader kReaders[] = {
    {kRecordWord, ReadRecordLine}, {kFamilyWord, ReadFamily},   {kAccountWord, ReadAccount},
    {kExtraWord, ReadExtra},       {kWindowsWord, ReadWindows},     {kTcpWord, ReadTcpLine},
    {kBeforeWord, ReadBefore},
    {kAfterWord, ReadAfter},       {kTcpAfterWord, ReadTcpAfter}, {kNewKeyWord, ReadNewKey},
    {kNewSectionWord, ReadNewSection}, {kEndWord, ReadEnd},
};

}  // namespace

void Incomplete(const std::string& path, const std::string& what) {
  Raise(kNotComplete, path, what.c_str());
}

void CheckRecordable(const std::string& account, const std::vector<RegValueRecord>& rows,
                     std::size_t mapRows, const std::vector<TcpValue>& tcp,
                     const RunningWindows& running) {
  if (const char* refused = QuotedTextRefusal(account)) throw Error(account + ": " + refused);
  for (std::size_t i = mapRows; i < rows.size(); ++i) {
    const RegValueRecord& e = rows[i];
    if (HoldsControlOrBracket(e.keyPath)) Raise(kKeyRefused, ShortKey(e.root, e.keyPath));
    if (!RecordableExtra(e)) Raise(kValueRefused, ValueLabel(e));
  }
  for (const TcpValue& v : tcp) {
    if (!IsTcpSettingName(v.name)) Raise(kTcpRefused, v.name, "unknown name");
    if (const char* refused = QuotedTextRefusal(v.value)) Raise(kTcpRefused, v.name, refused);
    // Undo reads only what this Windows takes.
    if (const std::string refused = CheckTcpValue(running, v); !refused.empty())
      Raise(kTcpRefused, v.name, refused.c_str());
  }
}

void WriteHead(std::string& out, const std::string& command, map::System family,
               const std::string& account) {
  out.append("REGEDIT4\r\n\r\n; Internet Zelvora journal: the settings before ")
      .append(command)
      .append(", which regedit\r\n; imports as they are. The lines \";#\" and \";>\" are for "
              "Undo.\r\n");
  Directive(out, kRecordWord);
  out.append(" ").append(kFormat).append(kEol);
  Directive(out, kFamilyWord);
  out.append(" ").append(family == map::System::NT ? "NT" : "9x").append(kEol);
  Directive(out, kAccountWord);
  out += ' ';
  AppendQuoted(out, account);
  out += kEol;
}

void WriteExtra(std::string& out, const RegValueRecord& row) {
  Directive(out, kExtraWord);
  out += ' ';
  AppendKeyText(out, row.root, row.keyPath);
  out += ' ';
  AppendQuoted(out, row.name);
  out += kEol;
}

void WriteWindows(std::string& out, const VersionInfo& version) {
  Directive(out, kWindowsWord);
  out.append(" ").append(std::to_string(version.major)).append(".");
  out.append(std::to_string(version.minor)).append(".").append(std::to_string(version.build));
  out.append(kEol);
}

void WriteTcp(std::string& out, const TcpValue& v) { NameIsLine(out, kTcpWord, v.name, &v.value); }

void WritePorts(std::string& out, Part part, const std::vector<PortEntry>& ports) {
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string* value = ports[i] ? &*ports[i] : nullptr;
    if (value != nullptr) {
      if (const char* refused = QuotedTextRefusal(*value))
        Raise(kPortRefused, map::kComPorts[i], refused);
    }
    NameIsLine(out, part == Part::Before ? kBeforeWord : kAfterWord, map::kComPorts[i], value);
  }
}

void WriteTcpAfter(std::string& out, const std::string& name, const std::string* value) {
  if (const char* refused = value ? QuotedTextRefusal(*value) : nullptr)
    Raise(kTcpRefused, name, refused);
  NameIsLine(out, kTcpAfterWord, name, value);
}

void WriteNewKey(std::string& out, const KeyName& key) {
  Directive(out, kNewKeyWord);
  out += ' ';
  AppendKeyText(out, key.root, key.path);
  out += kEol;
}

void WriteNewSection(std::string& out) {
  Directive(out, kNewSectionWord);
  out.append(" [").append(map::kSectionPorts).append("]").append(kEol);
}

// WriteRegFile's text without its "REGEDIT4" line and the blank line after
// it, each line led by ";>" for the part after.
void WriteValues(std::string& out, Part part, const std::vector<RegValueRecord>& values) {
  const std::string text = WriteRegFile(values);
  const char* prefix = part == Part::Before ? "" : kAfterLine;
  std::size_t start = text.find(kEol) + 2;
  start = text.find(kEol, start) + 2;
  for (std::size_t end; (end = text.find(kEol, start)) != std::string::npos; start = end + 2) {
    out.append(prefix).append(text, start, end - start).append(kEol);
  }
}

void WriteEnd(std::string& out) {
  Directive(out, kEndWord);
  out += kEol;
}

void ParseRecord(const std::string& text, const std::string& path, const std::string& command,
                 const RunningWindows& running, ParsedRecord* out) {
  Reader in(path, *out, running);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    const bool cut = end == std::string::npos;
    std::string line = text.substr(start, cut ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (cut) in.BadLine(lines.size(), "line cut off");
    start = end + 1;
  }
  if (lines.empty() || lines[0] != "REGEDIT4") in.BadLine(1, "not a REGEDIT4 file");

  ParsedRecord& r = *out;
  std::vector<std::string> beforeLines(lines.size()), afterLines(lines.size());
  beforeLines[0] = afterLines[0] = lines[0];
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    in.line = i + 1;
    if (in.stage == kEnded) in.Bad("text after the end of the record");
    if (line.compare(0, 2, kAfterLine) == 0) {
      if (in.stage < kAfterTcp) in.Unknown();
      afterLines[i] = line.substr(2);
      in.stage = kAfterBody;
      continue;
    }
    if (line.compare(0, 2, kDirective) != 0) {
      // The values before, and the comments regedit passes over.
      const bool blank = line.find_first_not_of(" \t") == std::string::npos;
      if (!blank && line[0] != ';' && in.stage != kBody) in.Unknown();
      beforeLines[i] = line;
      continue;
    }
    const std::size_t space = line.find(' ');
    const std::string word = line.substr(2, space == std::string::npos ? space : space - 2);
    const std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
    const auto reader = std::find_if(std::begin(kReaders), std::end(kReaders),
                                     [&](const DirectiveReader& d) { return word == d.word; });
    if (reader == std::end(kReaders)) in.Unknown();
    reader->read(in, arg);
  }
  if (in.stage != kEnded) Incomplete(path, "it ends before the end of the record");
  if (r.finished && r.tcpAfter.size() != r.tcpBefore.size()) {
    Incomplete(path, "it does not hold every modern TCP setting as it was after " + command);
  }
  // A few hundred at most: each compared with those before it.
  for (std::size_t i = 0; i < r.tcpBefore.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (r.tcpBefore[j].name == r.tcpBefore[i].name)
        Incomplete(path, "it names a modern TCP setting twice");
    }
  }

  r.rows = RowsOf(r.family, in.extra);
  const RowIndex index(r.rows);
  // Only a key of the rows, or one above it, can have been created for them.
  for (auto& entry : in.newKeys) {
    KeyName& key = entry.first;
    if (std::none_of(r.rows.begin(), r.rows.end(), [&](const RegValueRecord& row) {
          return AtOrAbove(key.root, key.path, row.root, row.keyPath);
        })) {
      in.BadLine(entry.second, "a key that none of the record's values lies in");
    }
    r.newKeys.push_back(std::move(key));
  }
  r.before = ReadPartValues(beforeLines, path, "before " + command, r.rows, index);
  if (r.finished) r.after = ReadPartValues(afterLines, path, "after " + command, r.rows, index);
}

}  // namespace iz::journal_detail
