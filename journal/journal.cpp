#include "journal/journal.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "model/os_kind.h"
#include "modern/tcp_table.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz {

namespace {

constexpr const char* kHistoryFolderName = "\\History";
constexpr const char* kRecordExtension = ".reg";
// An older version kept the ports in a second file of the record's name.
constexpr const char* kOldPortsExtension = ".ini";
constexpr const char* kFormat = "2";
constexpr std::size_t kStampLength = 19;  // "2026-12-07 14.03.12"
constexpr std::size_t kSequenceDigits = 4;
constexpr const char* kEol = "\r\n";
constexpr std::size_t kMostNamed = 5;

constexpr const char* kUnableToCreateFolder = "Unable to create the folder %s";
constexpr const char* kUnableToList = "Unable to read the folder %s";
constexpr const char* kUnableToRead = "Unable to read %s";
constexpr const char* kUnableToDelete = "Unable to delete %s";
constexpr const char* kUnableToSetAside = "Unable to set aside %s";
constexpr const char* kUnableToRemoveKey = "Unable to remove the key %s";
constexpr const char* kTooLarge = "%s is larger than 1 MiB, far more than the journal writes";
constexpr const char* kOlderVersion =
    "%s was written by an older version of Internet Zelvora, which did not record what the "
    "change left";
constexpr const char* kNotComplete = "%s is not complete: ";
constexpr const char* kPortRefused = "Win.ini [Ports] %s cannot be recorded: ";
constexpr const char* kKeyRefused =
    "The key %s cannot be recorded: its name holds \"]\" or a control character, which Undo "
    "could not read back";
constexpr const char* kValueRefused =
    "%s cannot be recorded: it is none of the values Internet Zelvora writes";
constexpr const char* kTcpRefused = "The modern TCP setting %s cannot be recorded: ";
constexpr const char* kTcpUnreadable = "The modern TCP settings cannot be read: %s";
constexpr const char* kUnableToFinish = "Unable to finish %s, which was cut while it was written";
// A record holds the map, the adapters' values and the modern TCP settings:
// more rows than those can fill is no record of this program's, and is
// refused as soon as it is counted rather than read whole.
constexpr std::size_t kMostExtraRows = 1024;
constexpr std::size_t kMostTcpRows = 256;
constexpr const char* kNewTmp = ".new.tmp";
constexpr const char* kOldTmp = ".old.tmp";

// The record's own lines: ";#" lines carry what regedit need not see, ";>"
// lines the values as the command left them.
constexpr const char* kDirective = ";#";
constexpr const char* kAfterLine = ";>";

// The messages built out of line: each caller passes plain pointers rather
// than building and destroying a pattern's string of its own.
std::string Say(const char* pattern, const std::string& arg, const char* tail = "") {
  return FormatMessage(pattern, arg).append(tail);
}
[[noreturn]] void Raise(const char* pattern, const std::string& arg, const char* tail = "") {
  throw Error(Say(pattern, arg, tail));
}

struct RootName {
  HKey root;
  const char* name;
};
constexpr RootName kRootNames[] = {{kHKLM, "HKEY_LOCAL_MACHINE"}, {kHKCU, "HKEY_CURRENT_USER"}};

const char* NameOfRoot(HKey root) {
  return root == kHKCU ? kRootNames[1].name : kRootNames[0].name;
}

bool Digits(const std::string& s, std::size_t at, std::size_t count) {
  if (at + count > s.size()) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

int Number(const std::string& s, std::size_t at, std::size_t count) {
  int n = 0;
  for (std::size_t i = at; i < at + count; ++i) n = n * 10 + (s[i] - '0');
  return n;
}

// "2026-12-07 14.03.12" naming a moment that exists.
bool ValidStamp(const std::string& b) {
  const char* const pattern = "dddd-dd-dd dd.dd.dd";
  if (b.size() < kStampLength) return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    if (pattern[i] == 'd' ? !Digits(b, i, 1) : b[i] != pattern[i]) return false;
  }
  const int year = Number(b, 0, 4), month = Number(b, 5, 2), day = Number(b, 8, 2);
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year == 0 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  return Number(b, 11, 2) < 24 && Number(b, 14, 2) < 60 && Number(b, 17, 2) < 60;
}

// A record's name taken apart: "<stamp> #<sequence> <command>.reg", or an
// older version's "<stamp>[.NN] <command>.reg"; ".damaged" after either when
// set aside. The sequence has as many digits as it needs: compared as
// digits, it has no highest number.
struct RecordName {
  std::string base;  // the file name without extension: the stamp first
  std::size_t commandAt = 0;
  std::string sequence;  // its digits, no leading zero; empty: an older version's record
  int oldSequence = 0;   // its ".NN"
  bool setAside = false;

  bool operator<(const RecordName& o) const {
    if (sequence.size() != o.sequence.size()) return sequence.size() < o.sequence.size();
    if (sequence != o.sequence) return sequence < o.sequence;
    const int stamps = base.compare(0, kStampLength, o.base, 0, kStampLength);
    return stamps != 0 ? stamps < 0 : oldSequence < o.oldSequence;
  }
};

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) {
      return false;
    }
  }
  return true;
}

// Only files of exactly the journal's form count; anything else a user put
// into the folder is left alone.
bool ParseRecordName(const std::string& file, const std::string& extension, RecordName* r) {
  std::size_t cut = extension.size();
  r->setAside = EndsWithNoCase(file, extension + kSetAsideSuffix);
  if (r->setAside) {
    cut += std::char_traits<char>::length(kSetAsideSuffix);
  } else if (!EndsWithNoCase(file, extension)) {
    return false;
  }
  r->base = file.substr(0, file.size() - cut);
  const std::string& b = r->base;
  if (!ValidStamp(b)) return false;
  std::size_t at = kStampLength;
  r->sequence.clear();
  r->oldSequence = 0;
  if (b.compare(at, 2, " #") == 0) {
    std::size_t digits = 0;
    while (Digits(b, at + 2 + digits, 1)) ++digits;
    if (digits < kSequenceDigits) return false;
    const std::size_t first = b.find_first_not_of('0', at + 2);
    if (first >= at + 2 + digits) return false;  // #0000 is none
    r->sequence = b.substr(first, at + 2 + digits - first);
    at += 2 + digits;
  } else if (at < b.size() && b[at] == '.') {
    r->oldSequence = Digits(b, at + 1, 2) ? Number(b, at + 1, 2) : 0;
    if (r->oldSequence == 0) return false;
    at += 3;
  }
  r->commandAt = at + 1;
  return at + 1 < b.size() && b[at] == ' ';
}

// The number after sequence ("" for none yet), at least four digits.
std::string NextSequence(std::string digits) {
  std::size_t i = digits.size();
  for (; i > 0 && digits[i - 1] == '9'; --i) digits[i - 1] = '0';
  if (i == 0) {
    digits.insert(digits.begin(), '1');
  } else {
    ++digits[i - 1];
  }
  if (digits.size() < kSequenceDigits) digits.insert(0, kSequenceDigits - digits.size(), '0');
  return digits;
}

// The records in the order they were made; set-aside ones only when asked.
// A few dozen names at most: sorted by insertion.
std::vector<RecordName> RecordsIn(const std::vector<std::string>& files, const char* extension,
                                  bool withSetAside = false) {
  std::vector<RecordName> records;
  RecordName r;
  for (const std::string& f : files) {
    if (!ParseRecordName(f, extension, &r) || (r.setAside && !withSetAside)) continue;
    records.push_back(r);
    for (std::size_t at = records.size() - 1; at > 0 && records[at] < records[at - 1]; --at) {
      std::swap(records[at], records[at - 1]);
    }
  }
  return records;
}

std::string StampOf(const DateTime& t) {
  std::string stamp = DateText(t);
  char separator = ' ';
  for (const int part : {t.hour, t.minute, t.second}) {
    stamp += separator;
    stamp += Decimal(part, 2);
    separator = '.';
  }
  return stamp;
}

// A file of folder: folder\name then the extension.
std::string InFolder(const std::string& folder, const std::string& name, const char* extension = "") {
  std::string path = folder;
  path.append("\\").append(name).append(extension);
  return path;
}

// "2026-12-07 14.03.12" as people write it: "2026-12-07 14:03:12".
std::string ShownTime(const std::string& stamp) {
  std::string shown = stamp;
  shown[13] = shown[16] = ':';
  return shown;
}

// A value's place as one text, compared as the registry compares (case
// aside, one leading backslash aside), so that rows are found by sorting
// rather than by comparing each with every other.
std::string PlaceKey(HKey root, const std::string& key, const std::string& name) {
  std::string k(1, root == kHKCU ? 'U' : 'M');
  for (std::size_t i = !key.empty() && key[0] == '\\' ? 1 : 0; i < key.size(); ++i)
    k += map::detail::LowerAscii(key[i]);
  k += '\0';
  for (char c : name) k += map::detail::LowerAscii(c);
  return k;
}

// The rows of a record by place: the index of each.
class RowIndex {
 public:
  explicit RowIndex(const std::vector<RegValueRecord>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i)
      places_.emplace_back(PlaceKey(rows[i].root, rows[i].keyPath, rows[i].name), i);
    std::sort(places_.begin(), places_.end());
  }
  // The index of the row at r's place, or npos; of rows at one place, the first.
  std::size_t Find(const RegValueRecord& r) const {
    const std::string k = PlaceKey(r.root, r.keyPath, r.name);
    const auto at = std::lower_bound(places_.begin(), places_.end(),
                                     std::pair<std::string, std::size_t>(k, 0));
    return at != places_.end() && at->first == k ? at->second : std::string::npos;
  }

 private:
  std::vector<std::pair<std::string, std::size_t>> places_;
};

// The values a record of the family holds: the family's part of the map,
// each once, then the extra values that the map lacks, each once.
std::vector<RegValueRecord> RowsOf(map::System family, const std::vector<RegValueRecord>& extra,
                                   std::size_t* mapRows = nullptr) {
  std::vector<RegValueRecord> all;
  for (const map::Location& l : map::kParameterMap) {
    if (!map::OfSystem(l, family)) continue;
    RegValueRecord r;
    r.root = l.root;
    r.keyPath = l.key;
    r.name = l.value;
    all.push_back(std::move(r));
  }
  const std::size_t mapped = all.size();
  for (const RegValueRecord& e : extra) {
    RegValueRecord r;
    r.root = e.root;
    r.keyPath = e.keyPath;
    r.name = e.name;
    all.push_back(std::move(r));
  }
  // The first of each place stays: the index finds the first row of a place.
  const RowIndex index(all);
  std::vector<RegValueRecord> rows;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i == mapped && mapRows != nullptr) *mapRows = rows.size();
    if (index.Find(all[i]) == i) rows.push_back(std::move(all[i]));
  }
  if (mapped == all.size() && mapRows != nullptr) *mapRows = rows.size();
  return rows;
}

// Whether the journal records a value beside the map: one of the map's
// (of either family: a saved Registry.reg may hold both) or one the adapter
// step writes, as Backup's reader accepts.
bool RecordableExtra(const RegValueRecord& r) {
  return map::FindLocation(r.root, r.keyPath.c_str(), r.name.c_str()) != nullptr ||
         IsAdapterValue(r.root, r.keyPath, r.name);
}

bool HoldsControlOrBracket(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f || c == ']';
  });
}

std::string ShortKey(HKey root, const std::string& path) {
  return std::string(root == kHKLM ? "HKLM\\" : "HKCU\\") + path;
}

// The last two names of a key path: "Tcpip\Parameters".
std::string KeyTail(const std::string& path) {
  std::size_t cut = path.rfind('\\');
  if (cut != std::string::npos && cut > 0) cut = path.rfind('\\', cut - 1);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// What a value is called in Undo's question, once among all: its name and
// where it is, "TcpWindowSize (Tcpip\Parameters)", an adapter's by the
// adapter's name, "MTU (Local Area Connection)"; a key's default value by
// the key's own name.
std::string LongName(const RegValueRecord& r, const std::vector<Adapter>& adapters) {
  for (const Adapter& a : adapters) {
    if (map::SameKeyPath(a.key.c_str(), r.keyPath.c_str()) && r.root == kHKLM)
      return r.name + " (" + a.name + ")";
  }
  if (!r.name.empty()) return r.name + " (" + KeyTail(r.keyPath) + ")";
  const std::size_t cut = r.keyPath.rfind('\\');
  if (cut == std::string::npos) return r.keyPath;
  return r.keyPath.substr(cut + 1) + " (" + KeyTail(r.keyPath.substr(0, cut)) + ")";
}

// A modern TCP setting as the question names it: "autotuninglevel
// (netsh)", an interface's MTU "mtu (Local Area Connection)".
std::string TcpName(const std::string& name) {
  const std::size_t prefix = std::char_traits<char>::length(kInterfaceMtuPrefix);
  if (name.compare(0, prefix, kInterfaceMtuPrefix) == 0)
    return "mtu (" + name.substr(prefix) + ")";
  return name + " (netsh)";
}

// Whether the key root\path is the key of the other, or one above it.
bool AtOrAbove(HKey root, const std::string& path, HKey otherRoot, const std::string& otherPath) {
  const std::string key = PlaceKey(root, path, std::string());
  const std::string other = PlaceKey(otherRoot, otherPath, std::string());
  return other == key || (other.compare(0, key.size() - 1, key, 0, key.size() - 1) == 0 &&
                          other.size() > key.size() && other[key.size() - 1] == '\\');
}

// A key where the map's values are, or one above such a key.
bool MapKey(HKey root, const std::string& path) {
  return std::any_of(std::begin(map::kParameterMap), std::end(map::kParameterMap),
                     [&](const map::Location& l) { return AtOrAbove(root, path, l.root, l.key); });
}
// A key beyond the map added to keys, once.
void AddOutside(std::vector<std::string>* keys, HKey root, const std::string& path) {
  if (MapKey(root, path)) return;
  const std::string name = ShortKey(root, path);
  if (std::find(keys->begin(), keys->end(), name) == keys->end()) keys->push_back(name);
}

// "[HKEY_LOCAL_MACHINE\path]" appended to out.
void AppendKeyText(std::string& out, HKey root, const std::string& path) {
  out.append("[").append(NameOfRoot(root)).append("\\").append(path).append("]");
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

// One line of the record: the parts, then the line break.
void Line(std::string& out, const char* a, const char* b = "", const char* c = "") {
  out.append(a).append(b).append(c).append(kEol);
}

// A line `directive"name"="value"`, or `directive"name"=-` for no value.
void NameIsLine(std::string& out, const char* directive, const std::string& name,
                const std::string* value) {
  out.append(directive);
  AppendQuoted(out, name);
  out += '=';
  if (value != nullptr) {
    AppendQuoted(out, *value);
  } else {
    out += '-';
  }
  out.append(kEol);
}

// The five ports, each on a line of the directive given ("before", "after").
// A port that the reader would refuse is not written.
void AddPorts(std::string& out, const char* directive, const std::vector<PortEntry>& ports) {
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string* value = ports[i] ? &*ports[i] : nullptr;
    if (value != nullptr) {
      if (const char* refused = QuotedTextRefusal(*value)) Raise(kPortRefused, map::kComPorts[i], refused);
    }
    NameIsLine(out, directive, map::kComPorts[i], value);
  }
}

// The body of WriteRegFile's text, without its "REGEDIT4" line and the blank
// line after it, each line led by prefix.
std::string RegBody(const std::vector<RegValueRecord>& values, const std::string& prefix) {
  const std::string text = WriteRegFile(values);
  std::string out;
  std::size_t start = text.find(kEol) + 2;
  start = text.find(kEol, start) + 2;
  for (std::size_t end; (end = text.find(kEol, start)) != std::string::npos; start = end + 2) {
    out += prefix + text.substr(start, end - start) + kEol;
  }
  return out;
}

// A record read whole.
struct ParsedRecord {
  map::System family = map::System::Win9x;
  std::string account;
  std::vector<RegValueRecord> rows, before, after;  // before and after in the order of rows
  std::vector<PortEntry> portsBefore, portsAfter;
  std::vector<TcpValue> tcpBefore;
  std::vector<std::optional<std::string>> tcpAfter;  // in the order of tcpBefore
  int windows = kUnknown;  // the Windows it was made on, where it holds TCP settings
  std::vector<KeyName> newKeys;
  bool newSection = false;
  bool finished = false;
};

[[noreturn]] void Bad(std::size_t line, const std::string& path, const char* reason) {
  throw Error(InvalidLineText(static_cast<int>(line), path, std::string(), reason));
}

[[noreturn]] void Incomplete(const std::string& path, const char* what) {
  Raise(kNotComplete, path, what);
}
[[noreturn]] void Incomplete(const std::string& path, const std::string& what) {
  Incomplete(path, what.c_str());
}

// The kind of a ";#windows" line's version, "10.0.19045"; kUnknown for
// anything else.
int WindowsOf(const std::string& text) {
  std::uint32_t parts[3] = {0, 0, 0};
  std::size_t at = 0;
  for (int n = 0; n < 3; ++n) {
    if (n > 0 && (at >= text.size() || text[at++] != '.')) return kUnknown;
    const std::size_t start = at;
    while (at < text.size() && at - start < 6 && text[at] >= '0' && text[at] <= '9')
      parts[n] = parts[n] * 10 + static_cast<std::uint32_t>(text[at++] - '0');
    if (at == start || (text[start] == '0' && at - start > 1)) return kUnknown;
  }
  if (at != text.size()) return kUnknown;
  return KindOf({kVerPlatformWin32NT, parts[0], parts[1], "", parts[2]});
}

// A value at pos to the end of the line: "-" for none, else a quoted text
// that the reader accepts. Raises naming the line.
PortEntry ValueAt(const std::string& arg, std::size_t pos, std::size_t line,
                  const std::string& path) {
  if (arg.compare(pos, std::string::npos, "-") == 0) return std::nullopt;
  std::string quoted;
  if (!ParseQuoted(arg, pos, &quoted) || pos != arg.size()) Bad(line, path, "unknown value");
  if (const char* refused = QuotedTextRefusal(quoted)) Bad(line, path, refused);
  return quoted;
}

// `"name"=` at pos; pos ends after the "=".
bool ParseNameIs(const std::string& text, std::size_t& pos, std::string* name) {
  if (!ParseQuoted(text, pos, name) || pos >= text.size() || text[pos] != '=') return false;
  ++pos;
  return true;
}

// One part of a record, the values before or after the command, in the
// order of rows: each of them once.
std::vector<RegValueRecord> ReadPart(const std::vector<std::string>& part, const std::string& path,
                                     const std::string& when,
                                     const std::vector<RegValueRecord>& rows,
                                     const RowIndex& index) {
  std::string partText;
  for (const std::string& line : part) partText.append(line).append(kEol);
  RegFileParse parse = ReadRegFile(partText, [&](const RegValueRecord& v) {
    return index.Find(v) != std::string::npos;
  });
  if (!parse.ok()) {
    throw Error(InvalidLineText(parse.badLine, path, parse.badText, parse.reason));
  }
  std::vector<RegValueRecord> ordered(rows.size());
  std::vector<bool> held(rows.size(), false);
  for (RegValueRecord& v : parse.records) {
    const std::size_t at = index.Find(v);
    if (held[at]) Incomplete(path, "it holds " + ValueLabel(v) + " twice as it was " + when);
    held[at] = true;
    ordered[at] = std::move(v);
  }
  for (std::size_t at = 0; at < rows.size(); ++at) {
    if (!held[at]) Incomplete(path, "it does not hold " + ValueLabel(rows[at]) + " as it was " + when);
  }
  return ordered;
}

// The record's text, strictly: every line understood, the parts in their
// order, and every value of the rows and every port there before and, once
// the command finished, after it. Extra values only of the kinds the
// journal records, new keys only those of its rows. Raises the first thing
// wrong, naming the file.
void ParseRecord(const std::string& text, const std::string& path, const std::string& command,
                 int runningKind,
                 ParsedRecord* out) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    const bool cut = end == std::string::npos;
    std::string line = text.substr(start, cut ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (cut) Bad(lines.size(), path, "line cut off");
    start = end + 1;
  }
  if (lines.empty() || lines[0] != "REGEDIT4") Bad(1, path, "not a REGEDIT4 file");

  ParsedRecord& r = *out;
  // Each part's lines at their own line numbers, the others left blank, so
  // that the REGEDIT4 reader names the file's lines.
  std::vector<std::string> beforeLines(lines.size()), afterLines(lines.size());
  beforeLines[0] = afterLines[0] = lines[0];
  enum Stage {
    kHead, kFamily, kAccount, kExtras, kWindows, kTcp, kBeforePorts, kBody,
    kAfterPorts, kAfterTcp, kAfterRest, kAfterBody, kEnded
  };
  Stage stage = kHead;
  std::vector<RegValueRecord> extra;
  std::vector<std::pair<KeyName, std::size_t>> newKeys;  // each with its line
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (stage == kEnded) Bad(i + 1, path, "text after the end of the record");
    if (line.compare(0, 2, kAfterLine) == 0) {
      if (stage < kAfterTcp) Bad(i + 1, path, "unknown line");
      afterLines[i] = line.substr(2);
      stage = kAfterBody;
      continue;
    }
    if (line.compare(0, 2, kDirective) != 0) {
      const bool blank = line.find_first_not_of(" \t") == std::string::npos;
      if (!blank && line[0] != ';' && stage != kBody) Bad(i + 1, path, "unknown line");
      beforeLines[i] = line;
      continue;
    }
    const std::size_t space = line.find(' ');
    const std::string word = line.substr(2, space == std::string::npos ? space : space - 2);
    const std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
    std::size_t pos = 0;
    std::string quoted;
    if (word == "record" && stage == kHead) {
      if (arg != kFormat) Bad(i + 1, path, "written by another version");
      stage = kFamily;
    } else if (word == "family" && stage == kFamily && (arg == "NT" || arg == "9x")) {
      r.family = arg == "NT" ? map::System::NT : map::System::Win9x;
      stage = kAccount;
    } else if (word == "account" && stage == kAccount && ParseQuoted(arg, pos, &r.account) &&
               pos == arg.size()) {
      stage = kExtras;
    } else if (word == "extra" && stage == kExtras) {
      KeyName key;
      if (!ParseKeyText(arg, &key, &pos) || arg.compare(pos, 1, " ") != 0 ||
          !ParseQuoted(arg, ++pos, &quoted) || pos != arg.size()) {
        Bad(i + 1, path, "unknown line");
      }
      RegValueRecord e;
      e.root = key.root;
      e.keyPath = key.path;
      e.name = quoted;
      if (!RecordableExtra(e)) Bad(i + 1, path, "a value that the journal never records");
      if (extra.size() == kMostExtraRows) Bad(i + 1, path, "more values than the journal records");
      extra.push_back(std::move(e));
    } else if (word == "windows" && stage == kExtras) {
      r.windows = WindowsOf(arg);
      if (!IsVistaOrLater(r.windows)) Bad(i + 1, path, "not a Windows with modern TCP settings");
      stage = kWindows;
    } else if (word == "tcp" && (stage == kExtras || stage == kWindows || stage == kTcp)) {
      TcpValue v;
      if (!ParseNameIs(arg, pos, &v.name) || !ParseQuoted(arg, pos, &v.value) ||
          pos != arg.size()) {
        Bad(i + 1, path, "unknown line");
      }
      if (!IsTcpSettingName(v.name)) Bad(i + 1, path, "not a modern TCP setting");
      if (const char* refused = QuotedTextRefusal(v.value)) Bad(i + 1, path, refused);
      // Only a value that Windows takes was ever recorded; a record without
      // its Windows comes from this one.
      if (r.windows == kUnknown) r.windows = runningKind;
      if (!CheckTcpValue(r.windows, v).empty()) Bad(i + 1, path, "a value that Windows does not take");
      if (r.tcpBefore.size() == kMostTcpRows) Bad(i + 1, path, "more values than the journal records");
      r.tcpBefore.push_back(std::move(v));
      stage = kTcp;
    } else if ((word == "before" && (stage == kExtras || stage == kTcp || stage == kBeforePorts)) ||
               (word == "after" && (stage == kBody || stage == kAfterPorts))) {
      std::vector<PortEntry>& ports = word == "before" ? r.portsBefore : r.portsAfter;
      const std::string head = Quoted(map::kComPorts[ports.size()]) + "=";
      if (arg.compare(0, head.size(), head) != 0) Bad(i + 1, path, "not the next port");
      ports.push_back(ValueAt(arg, head.size(), i + 1, path));
      if (ports.size() == map::kComPortsWritten) {
        stage = word == "before" ? kBody : kAfterTcp;
      } else {
        stage = word == "before" ? kBeforePorts : kAfterPorts;
      }
    } else if (word == "tcp-after" && stage == kAfterTcp) {
      if (!ParseNameIs(arg, pos, &quoted)) Bad(i + 1, path, "unknown line");
      PortEntry value = ValueAt(arg, pos, i + 1, path);
      if (r.tcpAfter.size() == r.tcpBefore.size() || r.tcpBefore[r.tcpAfter.size()].name != quoted)
        Bad(i + 1, path, "not the next modern TCP setting");
      if (value && !CheckTcpValue(r.windows, {quoted, *value}).empty())
        Bad(i + 1, path, "a value that Windows does not take");
      r.tcpAfter.push_back(std::move(value));
    } else if (word == "new-key" && (stage == kAfterTcp || stage == kAfterRest)) {
      KeyName key;
      if (!ParseKeyText(arg, &key, &pos) || pos != arg.size()) Bad(i + 1, path, "unknown line");
      newKeys.emplace_back(std::move(key), i + 1);
      stage = kAfterRest;
    } else if (word == "new-section" && (stage == kAfterTcp || stage == kAfterRest) &&
               arg == "[Ports]") {
      r.newSection = true;
      stage = kAfterRest;
    } else if (word == "end" && (stage == kBody || stage >= kAfterTcp)) {
      r.finished = stage != kBody;
      stage = kEnded;
    } else {
      Bad(i + 1, path, "unknown line");
    }
  }
  if (stage != kEnded) Incomplete(path, "it ends before the end of the record");
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

  r.rows = RowsOf(r.family, extra);
  const RowIndex index(r.rows);
  // Only a key of the rows, or one above it, can have been created for them.
  for (auto& entry : newKeys) {
    KeyName& key = entry.first;
    if (std::none_of(r.rows.begin(), r.rows.end(), [&](const RegValueRecord& row) {
          return AtOrAbove(key.root, key.path, row.root, row.keyPath);
        })) {
      Bad(entry.second, path, "a key that none of the record's values lies in");
    }
    r.newKeys.push_back(std::move(key));
  }
  r.before = ReadPart(beforeLines, path, "before " + command, r.rows, index);
  if (r.finished) r.after = ReadPart(afterLines, path, "after " + command, r.rows, index);
}

bool KeyExists(RawRegistry& registry, const KeyName& key) {
  HKey handle = 0;
  const long status = registry.OpenKey(key.root, key.path, kKeyQueryValue, &handle);
  if (status == kRegOk) registry.CloseKey(handle);
  return status != kRegNotFound;
}

// The keys that a command may create: each missing key of the rows (missing
// holds the index of a row of each, as CaptureValues found them) and the
// missing keys above it, from the root down in the order the rows name them,
// each once. Only a missing key's parents are looked at: a key that opened
// has all of its own.
std::vector<KeyName> MissingKeys(RawRegistry& registry, const std::vector<RegValueRecord>& rows,
                                 const std::vector<std::size_t>& missing) {
  std::vector<KeyName> keys;
  for (std::size_t i : missing) {
    const RegValueRecord& r = rows[i];
    // Up the path while the key above is missing too: top is where the
    // highest missing key's name ends.
    std::size_t top = r.keyPath.size();
    for (std::size_t cut = r.keyPath.rfind('\\', top - 1);
         cut != std::string::npos && cut > 0 &&
         !KeyExists(registry, {r.root, r.keyPath.substr(0, cut)});
         cut = r.keyPath.rfind('\\', cut - 1)) {
      top = cut;
    }
    for (std::size_t end = top;; end = std::min(r.keyPath.find('\\', end + 1), r.keyPath.size())) {
      KeyName key{r.root, r.keyPath.substr(0, end)};
      if (std::none_of(keys.begin(), keys.end(), [&](const KeyName& k) {
            return k.root == key.root && map::SameKeyPath(k.path.c_str(), key.path.c_str());
          })) {
        keys.push_back(std::move(key));
      }
      if (end == r.keyPath.size()) break;
    }
  }
  return keys;
}

bool HasSection(ProfileStrings& profiles, const std::string& file, const std::string& section) {
  const std::vector<std::string> names = profiles.SectionNames(file);
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
    return map::SameName(n.c_str(), section.c_str());
  });
}

// Whether Win.ini has a [Ports] section, the ports as they stand given: an
// entry there is its section there, so the names are read only without one.
bool PortsSectionThere(ProfileStrings& profiles, const std::vector<PortEntry>& ports) {
  for (const PortEntry& p : ports) {
    if (p) return true;
  }
  return HasSection(profiles, WinIniPath(profiles), map::kSectionPorts);
}

std::size_t Depth(const KeyName& key) {
  return static_cast<std::size_t>(std::count(key.path.begin(), key.path.end(), '\\'));
}

// A line of Undo's question: "\n2 values were ... kept: A, B, C, D, E and 3
// more." A port's name ends in a colon, which a full stop right after would
// seem to belong to.
// With account, the values belong to it: one or many, then "to the account
// ..." and "is kept" or "are kept".
void AddKept(std::string& text, const std::vector<std::string>& names, const char* one,
             const char* many, const std::string* account = nullptr) {
  if (names.empty()) return;
  text.append("\n").append(std::to_string(names.size())).append(names.size() == 1 ? one : many);
  if (account != nullptr) {
    text.append(" to the account ").append(*account).append(names.size() == 1 ? " and is kept: "
                                                                             : " and are kept: ");
  }
  for (std::size_t i = 0; i < names.size() && i < kMostNamed; ++i) {
    text.append(i == 0 ? "" : ", ").append(names[i]);
  }
  if (names.size() > kMostNamed) {
    text.append(" and ").append(std::to_string(names.size() - kMostNamed)).append(" more");
  }
  text.append(text.back() == ':' ? " ." : ".");
}

// The modern TCP settings that values name, as they stand now.
std::vector<TcpValue> ReadTcp(TcpSettingsAccess* access, const std::vector<TcpValue>& values) {
  std::vector<std::string> names;
  for (const TcpValue& v : values) names.push_back(v.name);
  std::vector<TcpValue> now;
  std::string error;
  if (access == nullptr || !access->Read(names, &now, &error)) Raise(kTcpUnreadable, error);
  return now;
}

// The journal's listing of its folder, with each record that a replace by
// renames (the 9x family's) left cut finished the way that replace's mend
// finishes any file: X missing and X.new.tmp there, it moves in; X there,
// X.new.tmp is older and goes; X.old.tmp always goes. So a cut record is
// never silently passed over for the one before. The empty text when
// listed, else why not.
std::string ListHistory(Platform& platform, const std::string& history,
                        std::vector<std::string>* files) {
  if (!platform.ListFiles(history, files)) return Say(kUnableToList, history);
  // Left by a cut only: the listing is gone through once, and each leftover
  // looked for in it.
  const std::vector<std::string> names = *files;
  RecordName unused;
  const std::size_t tail = std::char_traits<char>::length(kNewTmp);
  for (const std::string& f : names) {
    const bool finished = EndsWithNoCase(f, kNewTmp), aside = EndsWithNoCase(f, kOldTmp);
    if (!finished && !aside) continue;
    const std::string target = f.substr(0, f.size() - tail);
    if (!ParseRecordName(target, kRecordExtension, &unused)) continue;
    const std::string path = InFolder(history, f);
    if (aside || std::find(names.begin(), names.end(), target) != names.end()) {
      platform.DeleteFile(path);
    } else if (platform.RenameFile(path, InFolder(history, target))) {
      files->push_back(target);
    } else {
      return Say(kUnableToFinish, InFolder(history, target));
    }
  }
  return std::string();
}

// The folders checked, History made first when create is set, and listed:
// the empty text, else why they cannot be used. Backup is checked before
// History is made in it: through a link, it would be made wherever the link
// leads. The Backup folder is made only when History cannot be made without
// it; both so that only the administrators may write in them.
std::string OpenHistory(Platform& platform, const std::string& backup, const std::string& history,
                        bool create, std::vector<std::string>* files) {
  std::string failure = LinkFailure(platform, backup);
  if (failure.empty() && create && !platform.DirectoryExists(history) &&
      !platform.CreateAdminsOnlyFolder(history) &&
      !(platform.CreateAdminsOnlyFolder(backup) && platform.CreateAdminsOnlyFolder(history))) {
    failure = Say(kUnableToCreateFolder, history);
  }
  if (failure.empty()) failure = LinkFailure(platform, history);
  if (failure.empty()) failure = FolderSafetyFailure(platform, backup);
  if (failure.empty()) failure = FolderSafetyFailure(platform, history);
  if (failure.empty()) failure = ListHistory(platform, history, files);
  return failure;
}

}  // namespace

// What Record holds for Finish: the record's file and text, and what the
// command may create.
struct Journal::Pending {
  std::string path;
  std::string text;  // without its end line
  std::vector<RegValueRecord> rows;
  std::vector<KeyName> absentKeys;
  bool portsSectionExisted = true;
  TcpSettingsAccess* tcpAccess = nullptr;
  std::vector<TcpValue> tcpBefore;
  std::optional<std::vector<TcpValue>> tcpAfter;
};

std::string HistoryFolder(Platform& platform) {
  return BackupFolder(platform) + kHistoryFolderName;
}

Journal::Journal(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                 TcpSettingsAccess* tcp)
    : registry_(registry), profiles_(profiles), platform_(platform), tcp_(tcp) {}

Journal::~Journal() = default;

void Journal::AddTcpValues(TcpSettingsAccess& access, std::vector<TcpValue> before) {
  tcpAccess_ = &access;
  tcpBefore_ = std::move(before);
}

void Journal::SetTcpAfter(std::vector<TcpValue> after) {
  if (pending_) {
    pending_->tcpAfter = std::move(after);
  } else {
    tcpAfter_ = std::move(after);
  }
}

std::string Journal::Record(const std::string& command, const std::vector<RegValueRecord>& extra) {
  pending_.reset();
  const std::string backup = BackupFolder(platform_);
  const std::string history = HistoryFolder(platform_);
  std::vector<std::string> files;
  if (std::string failure = OpenHistory(platform_, backup, history, true, &files); !failure.empty())
    return failure;

  auto pending = std::make_unique<Pending>();
  pending->tcpAccess = tcpAccess_;
  pending->tcpBefore = std::move(tcpBefore_);
  pending->tcpAfter = std::move(tcpAfter_);
  tcpAccess_ = nullptr;
  tcpBefore_.clear();
  tcpAfter_.reset();
  const map::System family =
      IsNTFamily(GetOSKind(platform_)) ? map::System::NT : map::System::Win9x;
  std::size_t mapRows = 0;
  // Every adapter's values join the record beside the map, whichever
  // adapters the command writes.
  std::vector<RegValueRecord> rows = extra;
  try {
    if (!adaptersFound_)
      adapterRows_ = AdapterRows(FindAdapters(registry_, GetOSKind(platform_), false));
    adaptersFound_ = false;
    for (const RegValueRecord& r : adapterRows_) rows.push_back(r);
  } catch (const Error& e) {
    return e.what();
  }
  pending->rows = RowsOf(family, rows, &mapRows);
  const std::string account = platform_.UserName();
  try {
    // What Undo could not read is not written.
    if (const char* refused = QuotedTextRefusal(account)) throw Error(account + ": " + refused);
    for (std::size_t i = mapRows; i < pending->rows.size(); ++i) {
      const RegValueRecord& e = pending->rows[i];
      if (HoldsControlOrBracket(e.keyPath))
        Raise(kKeyRefused, ShortKey(e.root, e.keyPath));
      if (!RecordableExtra(e)) Raise(kValueRefused, ValueLabel(e));
    }
    for (const TcpValue& v : pending->tcpBefore) {
      if (!IsTcpSettingName(v.name)) Raise(kTcpRefused, v.name, "unknown name");
      if (const char* refused = QuotedTextRefusal(v.value))
        Raise(kTcpRefused, v.name, refused);
      // Undo reads only what this Windows takes.
      if (const std::string refused = CheckTcpValue(GetOSKind(platform_), v); !refused.empty())
        Raise(kTcpRefused, v.name, refused.c_str());
    }
    std::vector<std::size_t> missing;
    const std::vector<RegValueRecord> before = CaptureValues(registry_, pending->rows, &missing);
    pending->absentKeys = MissingKeys(registry_, pending->rows, missing);
    const std::vector<PortEntry> ports = CapturePorts(profiles_);
    pending->portsSectionExisted = PortsSectionThere(profiles_, ports);
    std::string& text = pending->text;
    text.append("REGEDIT4\r\n\r\n; Internet Zelvora journal: the settings before ")
        .append(command)
        .append(", which regedit\r\n; imports as they are. The lines \";#\" and \";>\" are for "
                "Undo.\r\n;#record ")
        .append(kFormat)
        .append("\r\n;#family ")
        .append(family == map::System::NT ? "NT" : "9x")
        .append("\r\n;#account ");
    AppendQuoted(text, account);
    text += kEol;
    for (std::size_t i = mapRows; i < pending->rows.size(); ++i) {
      const RegValueRecord& e = pending->rows[i];
      text += ";#extra ";
      AppendKeyText(text, e.root, e.keyPath);
      text += ' ';
      AppendQuoted(text, e.name);
      text += kEol;
    }
    // A record of the TCP settings names the Windows that took them.
    VersionInfo version;
    if (!pending->tcpBefore.empty() && platform_.GetVersion(version)) {
      text.append(";#windows ")
          .append(std::to_string(version.major))
          .append(".")
          .append(std::to_string(version.minor))
          .append(".")
          .append(std::to_string(version.build))
          .append(kEol);
    }
    for (const TcpValue& v : pending->tcpBefore) {
      NameIsLine(text, ";#tcp ", v.name, &v.value);
    }
    AddPorts(text, ";#before ", ports);
    text += RegBody(before, "");
  } catch (const Error& e) {
    return e.what();
  }

  // The newest record is the one with the highest number, whatever the
  // clock said when each was made. A number another copy took meanwhile
  // is passed over: a record is only ever made new, never over another.
  std::string sequence;
  for (const RecordName& r : RecordsIn(files, kRecordExtension, true)) {
    if (r.sequence.size() > sequence.size() ||
        (r.sequence.size() == sequence.size() && r.sequence > sequence)) {
      sequence = r.sequence;
    }
  }
  std::string whole = pending->text;
  Line(whole, ";#end");
  if (whole.size() > kMaxSavedFileBytes) return kSavedFileTooLarge;
  const std::string stamp = StampOf(platform_.Now());
  for (int tries = 0;; ++tries) {
    sequence = NextSequence(sequence);
    pending->path = InFolder(history, stamp);
    pending->path.append(" #").append(sequence).append(" ").append(command).append(kRecordExtension);
    if (platform_.WriteNewFileAtomically(pending->path, whole)) break;
    if (tries == 99 || !platform_.FileExists(pending->path)) {
      return Say(kUnableToWrite, pending->path);
    }
  }

  // The oldest records go, and an older version's ports part whose record is
  // gone. The folder was listed above; with this record added that listing
  // is what it holds now, but for what another instance wrote meanwhile,
  // which the next record sees. A file that cannot be removed now is tried
  // again next time.
  files.push_back(pending->path.substr(history.size() + 1));
  pending_ = std::move(pending);
  const std::vector<RecordName> records = RecordsIn(files, kRecordExtension);
  const std::size_t excess = records.size() > kJournalSize ? records.size() - kJournalSize : 0;
  for (std::size_t i = 0; i < excess; ++i) {
    platform_.DeleteFile(InFolder(history, records[i].base, kRecordExtension));
  }
  for (const RecordName& p : RecordsIn(files, kOldPortsExtension)) {
    const bool kept =
        p.sequence.empty() &&
        std::any_of(records.begin() + static_cast<std::ptrdiff_t>(excess), records.end(),
                    [&](const RecordName& r) { return r.base == p.base; });
    if (!kept) platform_.DeleteFile(InFolder(history, p.base, kOldPortsExtension));
  }
  return std::string();
}

bool Journal::Discard() {
  if (!pending_) return true;
  if (!platform_.DeleteFile(pending_->path)) return false;
  pending_.reset();
  return true;
}

std::vector<Adapter> Journal::TickedAdapters(int kind) {
  std::vector<Adapter> adapters = FindAdapters(registry_, kind, false);
  LoadAdapterChoice(registry_, &adapters);
  adaptersFound_ = kind == GetOSKind(platform_);
  if (adaptersFound_) adapterRows_ = AdapterRows(adapters);
  return OnlyTicked(std::move(adapters));
}

std::string Journal::Finish() {
  if (!pending_) return std::string();
  const std::unique_ptr<Pending> pending = std::move(pending_);
  std::string text = pending->text;
  try {
    const std::vector<RegValueRecord> after = CaptureValues(registry_, pending->rows);
    const std::vector<PortEntry> ports = CapturePorts(profiles_);
    AddPorts(text, ";#after ", ports);
    if (!pending->tcpBefore.empty()) {
      const std::vector<TcpValue> tcpAfter = pending->tcpAfter
                                                  ? *pending->tcpAfter
                                                  : ReadTcp(pending->tcpAccess, pending->tcpBefore);
      for (const TcpValue& v : pending->tcpBefore) {
        const auto now = std::find_if(tcpAfter.begin(), tcpAfter.end(),
                                      [&](const TcpValue& a) { return a.name == v.name; });
        const std::string* value = now == tcpAfter.end() ? nullptr : &now->value;
        if (const char* refused = value ? QuotedTextRefusal(*value) : nullptr)
          Raise(kTcpRefused, v.name, refused);
        // What Undo would refuse is recorded as gone: it is never put back.
        if (value && !CheckTcpValue(GetOSKind(platform_), {v.name, *value}).empty())
          value = nullptr;
        NameIsLine(text, ";#tcp-after ", v.name, value);
      }
    }
    // Deepest first, as Undo removes them.
    std::size_t deepest = 0;
    for (const KeyName& key : pending->absentKeys) deepest = std::max(deepest, Depth(key));
    for (std::size_t depth = deepest + 1; depth-- > 0;) {
      for (const KeyName& key : pending->absentKeys) {
        // A key that will not open now is left out: Undo could not look
        // into it either, and a key it leaves is empty and harmless.
        HKey handle = 0;
        if (Depth(key) != depth ||
            registry_.OpenKey(key.root, key.path, kKeyQueryValue, &handle) != kRegOk) {
          continue;
        }
        registry_.CloseKey(handle);
        text += ";#new-key ";
        AppendKeyText(text, key.root, key.path);
        text += kEol;
      }
    }
    if (!pending->portsSectionExisted && PortsSectionThere(profiles_, ports)) {
      Line(text, ";#new-section [", map::kSectionPorts, "]");
    }
    text += RegBody(after, kAfterLine);
    Line(text, ";#end");
    if (text.size() > kMaxSavedFileBytes) throw Error(kSavedFileTooLarge);
  } catch (const Error& e) {
    return e.what();
  }
  if (!platform_.WriteFileAtomically(pending->path, text)) {
    return Say(kUnableToWrite, pending->path);
  }
  return std::string();
}

UndoPlan Journal::PlanUndo() {
  // A record whose changes are all back already is one an Undo put back
  // and could not remove (read-only): it goes now, or is passed over.
  for (std::size_t skip = 0;;) {
    UndoPlan plan = PlanUndoOf(skip);
    const bool spent = plan.found && plan.failure.empty() && plan.damage.empty() &&
                       plan.unchanged > 0 && plan.values.empty() && plan.portsBack.empty() &&
                       plan.tcpBack.empty() && plan.changedSince.empty() &&
                       plan.otherAccount.empty() && plan.notHere.empty();
    if (!spent) return plan;
    // Gone, the next one is the newest; kept, it is passed over.
    if (!platform_.DeleteFile(plan.record) &&
        !platform_.RenameFile(plan.record, plan.record + kSetAsideSuffix))
      ++skip;
  }
}

UndoPlan Journal::PlanUndoOf(std::size_t skip) {
  UndoPlan plan;
  const std::string history = HistoryFolder(platform_);
  if (!platform_.DirectoryExists(history)) return plan;
  plan.found = true;
  std::vector<std::string> files;
  plan.failure = OpenHistory(platform_, BackupFolder(platform_), history, false, &files);
  if (!plan.failure.empty()) return plan;
  const std::vector<RecordName> records = RecordsIn(files, kRecordExtension);
  if (records.size() <= skip) {
    plan.found = false;
    return plan;
  }
  const RecordName& newest = records[records.size() - 1 - skip];
  plan.command = newest.base.substr(newest.commandAt);
  plan.time = ShownTime(newest.base.substr(0, kStampLength));
  plan.record = InFolder(history, newest.base, kRecordExtension);
  // What is wrong with the record itself can be set aside; what is wrong
  // with reading it, or the settings now, cannot.
  bool damaged = true;
  ParsedRecord r;
  std::vector<RegValueRecord> now;
  std::vector<PortEntry> portsNow;
  std::vector<TcpValue> tcpNow;
  try {
    if (newest.sequence.empty()) Raise(kOlderVersion, plan.record);
    damaged = false;
    if (std::string link = LinkFailure(platform_, plan.record); !link.empty()) throw Error(link);
    std::string text;
    const FileRead read = platform_.ReadFile(plan.record, &text, kMaxSavedFileBytes);
    damaged = read == FileRead::TooLarge;
    if (read != FileRead::Ok) {
      Raise(damaged ? kTooLarge : kUnableToRead, plan.record);
    }
    damaged = true;
    ParseRecord(text, plan.record, plan.command, GetOSKind(platform_), &r);
    if (!r.finished) {
      Incomplete(plan.record, plan.command + " did not finish, so what it left was not recorded");
    }
    damaged = false;
    now = CaptureValues(registry_, r.rows);
    portsNow = CapturePorts(profiles_);
    // Only what this Windows takes is read and put back; before Vista
    // netsh is not run at all.
    for (const TcpValue& v : r.tcpBefore) {
      if (tcp_ != nullptr && CheckTcpValue(GetOSKind(platform_), v).empty()) {
        plan.tcpHere.push_back(v);
      }
    }
    if (!plan.tcpHere.empty()) tcpNow = ReadTcp(tcp_, plan.tcpHere);
  } catch (const Error& e) {
    (damaged ? plan.damage : plan.failure) = e.what();
    return plan;
  }
  plan.account = r.account;
  const bool sameAccount = r.account == platform_.UserName();
  // Names unique among all: an adapter's by the adapter's name, looked up
  // only when one is to be named.
  std::vector<Adapter> adapters;
  // Only what the command changed is looked at; of that, what is still as it
  // left it goes back, and what changed since stays, whoever changed it.
  for (std::size_t i = 0; i < r.rows.size(); ++i) {
    if (r.after[i] == r.before[i]) continue;
    std::vector<std::string>* named = &plan.changedSince;
    if (r.rows[i].root == kHKCU && !sameAccount) {
      named = &plan.otherAccount;
    } else if (now[i] == r.before[i]) {
      ++plan.unchanged;
      continue;
    } else if (now[i] == r.after[i]) {
      plan.values.push_back(r.before[i]);
      plan.left.push_back(r.after[i]);
      named = &plan.valueNames;
    }
    const RegValueRecord& row = r.rows[i];
    if (adapters.empty() && IsAdapterValue(row.root, row.keyPath, row.name)) {
      try {
        adapters = FindAdapters(registry_, GetOSKind(platform_), true);
      } catch (const Error&) {
        // Named by its key instead.
      }
    }
    named->push_back(LongName(row, adapters));
  }
  for (std::size_t i = 0; i < map::kComPortsWritten; ++i) {
    if (r.portsAfter[i] == r.portsBefore[i]) continue;
    if (portsNow[i] == r.portsBefore[i]) {
      ++plan.unchanged;
    } else if (portsNow[i] == r.portsAfter[i]) {
      plan.portsBack.push_back(i);
    } else {
      plan.changedSince.push_back(map::kComPorts[i]);
    }
  }
  for (std::size_t i = 0; i < r.tcpBefore.size(); ++i) {
    const TcpValue& before = r.tcpBefore[i];
    const std::optional<std::string>& after = r.tcpAfter[i];
    if (after == before.value) continue;
    if (std::find(plan.tcpHere.begin(), plan.tcpHere.end(), before) == plan.tcpHere.end()) {
      plan.notHere.push_back(TcpName(before.name));
      continue;
    }
    const auto found = std::find_if(tcpNow.begin(), tcpNow.end(),
                                    [&](const TcpValue& v) { return v.name == before.name; });
    const std::string* current = found == tcpNow.end() ? nullptr : &found->value;
    if (current != nullptr && *current == before.value) {
      ++plan.unchanged;
    } else if (current != nullptr && after == *current) {
      plan.tcpBack.push_back(before);
      plan.tcpLeft.push_back({before.name, *after});
    } else if (current == nullptr && !after) {
      // Gone after the command and gone now: there is nothing to set.
      ++plan.unchanged;
    } else {
      plan.changedSince.push_back(TcpName(before.name));
    }
  }
  for (const KeyName& key : r.newKeys) {
    if (key.root != kHKCU || sameAccount) plan.createdKeys.push_back(key);
  }
  // The keys beyond the map that Undo writes to or may remove, each once.
  for (const RegValueRecord& v : plan.values) AddOutside(&plan.outsideKeys, v.root, v.keyPath);
  for (const KeyName& key : plan.createdKeys) AddOutside(&plan.outsideKeys, key.root, key.path);
  plan.createdPortsSection = r.newSection;
  plan.portsBefore = std::move(r.portsBefore);
  plan.portsAfter = std::move(r.portsAfter);
  return plan;
}

UndoResult Journal::Undo(const UndoPlan& plan) {
  UndoResult result;
  result.found = plan.found;
  result.command = plan.command;
  result.time = plan.time;
  if (!plan.found) return result;
  if (!plan.failure.empty() || !plan.damage.empty()) {
    result.failures.push_back(plan.failure.empty() ? plan.damage : plan.failure);
    return result;
  }
  // Read again right before writing: what changed while the question was
  // open is kept, and named.
  std::vector<RegValueRecord> values;
  std::vector<std::size_t> portsBack;
  std::vector<TcpValue> tcpBack;
  try {
    const std::vector<RegValueRecord> now = CaptureValues(registry_, plan.left);
    for (std::size_t i = 0; i < plan.values.size(); ++i) {
      if (now[i] == plan.left[i]) {
        values.push_back(plan.values[i]);
      } else {
        result.keptSince.push_back(plan.valueNames[i]);
      }
    }
    const std::vector<PortEntry> portsNow = CapturePorts(profiles_);
    for (std::size_t index : plan.portsBack) {
      if (portsNow[index] == plan.portsAfter[index]) {
        portsBack.push_back(index);
      } else {
        result.keptSince.push_back(map::kComPorts[index]);
      }
    }
    if (!plan.tcpBack.empty()) {
      if (tcp_ == nullptr) Raise(kTcpNotHere, plan.command);
      const std::vector<TcpValue> tcpNow = ReadTcp(tcp_, plan.tcpLeft);
      for (std::size_t i = 0; i < plan.tcpLeft.size(); ++i) {
        if (std::find(tcpNow.begin(), tcpNow.end(), plan.tcpLeft[i]) != tcpNow.end()) {
          tcpBack.push_back(plan.tcpBack[i]);
        } else {
          result.keptSince.push_back(TcpName(plan.tcpLeft[i].name));
        }
      }
    }
  } catch (const Error& e) {
    result.failures.push_back(e.what());
    return result;
  }
  if (!tcpBack.empty()) {
    // All or nothing, in one run.
    std::string error;
    if (tcp_->Write(tcpBack, &error)) {
      result.written += tcpBack.size();
    } else {
      result.failures.push_back(error);
    }
  }
  for (std::string& failure : PutBackValues(registry_, values))
    result.failures.push_back(std::move(failure));
  result.written += values.size() + portsBack.size();
  result.restart = !values.empty() || !portsBack.empty();
  const std::string winIni = WinIniPath(profiles_);
  {
    ProfileFile flushed(profiles_, winIni);
    const std::string section = map::kSectionPorts;
    bool written = true;
    for (std::size_t index : portsBack) {
      const PortEntry& port = plan.portsBefore[index];
      const std::string name = map::kComPorts[index];
      written &= port ? profiles_.WriteString(winIni, section, name, *port)
                      : profiles_.RemoveString(winIni, section, name);
    }
    if (plan.createdPortsSection && profiles_.KeyNames(winIni, section).empty()) {
      written &= profiles_.RemoveSection(winIni, section);
    }
    if (!written) result.failures.push_back(Say(kUnableToWrite, winIni));
  }
  // Deepest first: a key goes only once it is empty, and the 9x family would
  // take a key's subkeys with it.
  for (const KeyName& key : plan.createdKeys) {
    HKey handle = 0;
    if (registry_.OpenKey(key.root, key.path, kKeyQueryValue, &handle) != kRegOk) continue;
    std::uint32_t subKeys = 1, valueCount = 1;
    const long counted = registry_.QueryKeyCounts(handle, &subKeys, &valueCount);
    registry_.CloseKey(handle);
    if (counted != kRegOk || subKeys != 0 || valueCount != 0) continue;
    const long status = registry_.DeleteKey(key.root, key.path);
    if (status != kRegOk && status != kRegNotFound) {
      result.failures.push_back(Say(kUnableToRemoveKey, ShortKey(key.root, key.path)));
    }
  }
  if (!result.failures.empty()) return result;
  // A record that cannot be deleted (read-only) is set aside as a damaged
  // one is: the next Undo must reach the change before it.
  if (!platform_.DeleteFile(plan.record) &&
      !platform_.RenameFile(plan.record, plan.record + kSetAsideSuffix)) {
    result.failures.push_back(Say(kUnableToDelete, plan.record));
  }
  return result;
}

// By rename: a record that could not be set aside once is tried the same
// way again. One that was copied aside already (by an older version, whose
// delete failed) is the same file twice, and goes.
std::string Journal::SetAside(const UndoPlan& plan) {
  const auto setAside = [this](const std::string& path) {
    const std::string aside = path + kSetAsideSuffix;
    if (platform_.RenameFile(path, aside)) return true;
    std::string mine, theirs;
    return platform_.ReadFile(path, &mine, kMaxSavedFileBytes) == FileRead::Ok &&
           platform_.ReadFile(aside, &theirs, kMaxSavedFileBytes) == FileRead::Ok &&
           mine == theirs && platform_.DeleteFile(path);
  };
  if (!setAside(plan.record)) return Say(kUnableToSetAside, plan.record);
  // An older version's ports part goes with its record.
  const std::string ports =
      plan.record.substr(0, plan.record.size() - std::char_traits<char>::length(kRecordExtension)) +
      kOldPortsExtension;
  if (platform_.FileExists(ports)) setAside(ports);
  return std::string();
}

JournalRun::JournalRun(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                       const char* command, WithoutRecord without)
    : journal_(registry, profiles, platform),
      platform_(platform),
      command_(command),
      without_(without) {}

JournalRun::~JournalRun() {
  if (!recorded_) return;
  try {
    journal_.Finish();
  } catch (...) {
    // The command's own failure is the one reported.
  }
}

BeforeWriting JournalRun::Before() {
  return [this] { RecordOrAsk({}); };
}

std::function<void(const std::vector<RegValueRecord>&)> JournalRun::BeforeWritingValues() {
  return [this](const std::vector<RegValueRecord>& values) { RecordOrAsk(values); };
}

void JournalRun::RecordOrAsk(const std::vector<RegValueRecord>& values) {
  const std::string reason = journal_.Record(command_, values);
  recorded_ = reason.empty();
  if (recorded_) return;
  if (without_ == WithoutRecord::Refuse) {
    Raise("Nothing was written: the change could not be recorded for Undo. %s", reason);
  }
  if (platform_.MessageBox(UnrecordedChangeQuestion(command_, reason), "Confirm",
                           MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
    throw CommandStopped();
  }
}

void JournalRun::Discard() {
  // A record that cannot be removed is finished instead: it then says that
  // nothing changed.
  if (recorded_ && journal_.Discard()) recorded_ = false;
}

void JournalRun::Finish() {
  if (!recorded_) return;
  recorded_ = false;
  if (const std::string reason = journal_.Finish(); !reason.empty()) {
    Raise(kLeftNotRecorded, reason);
  }
}

std::string UnrecordedChangeQuestion(const std::string& command, const std::string& reason) {
  std::string text = "The settings as they are now could not be recorded before ";
  return text.append(command).append(":\n").append(reason).append(
      "\n\nThis change could not be undone. Do you want to go on?");
}

namespace {

// lead, the command and its time, mark, then the lines of what Undo does.
std::string UndoLines(const UndoPlan& plan, const char* lead, const char* mark) {
  const std::size_t back = plan.values.size() + plan.portsBack.size() + plan.tcpBack.size();
  std::string text = lead;
  text.append(plan.command).append(" of ").append(plan.time).append(mark).append("\n");
  text.append(std::to_string(back));
  text.append(back == 1 ? " value will be put back." : " values will be put back.");
  AddKept(text, plan.notHere, " value cannot be put back on this Windows and is kept: ",
          " values cannot be put back on this Windows and are kept: ");
  AddKept(text, plan.changedSince, " value was changed since and is kept: ",
          " values were changed since and are kept: ");
  AddKept(text, plan.otherAccount, " value belongs", " values belong", &plan.account);
  if (!plan.outsideKeys.empty()) {
    text.append("\nKeys beyond the parameter map that are changed: ");
    for (std::size_t i = 0; i < plan.outsideKeys.size(); ++i)
      text.append(i == 0 ? "" : ", ").append(plan.outsideKeys[i]);
    text.append(".");
  }
  return text;
}

}  // namespace

std::string UndoQuestion(const UndoPlan& plan) { return UndoLines(plan, "Undo ", "?"); }

std::string UndoStatement(const UndoPlan& plan) { return UndoLines(plan, "Undoing ", ":"); }

std::string SetAsideQuestion(const UndoPlan& plan) {
  std::string text = "The newest change cannot be undone:\n";
  return text.append(plan.damage)
      .append(".\n\nSet its record aside (it is kept as \"")
      .append(plan.record, plan.record.rfind('\\') + 1)
      .append(kSetAsideSuffix)
      .append("\") and undo the change before it?");
}

std::string UndoneText(const UndoResult& result) {
  if (result.written == 0) {
    std::string text = "Nothing was put back of the change made by ";
    return text.append(result.command)
        .append(" on ")
        .append(result.time, 0, 10)
        .append(" at ")
        .append(result.time, 11)
        .append("; its record is removed.");
  }
  std::string text = "The change made by ";
  text.append(result.command)
      .append(" on ")
      .append(result.time, 0, 10)
      .append(" at ")
      .append(result.time, 11)
      .append(" has been undone.");
  if (result.restart) {
    text += " Windows must be restarted before the restored settings take effect.";
  }
  AddKept(text, result.keptSince,
          " value was changed while the question was open and is kept: ",
          " values were changed while the question was open and are kept: ");
  return text;
}

}  // namespace iz
