#include "journal/journal.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "model/os_kind.h"
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
constexpr int kSequenceDigits = 4;
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

// The record's own lines: ";#" lines carry what regedit need not see, ";>"
// lines the values as the command left them.
constexpr const char* kDirective = ";#";
constexpr const char* kAfterLine = ";>";

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
// set aside.
struct RecordName {
  std::string base;  // the file name without extension: the stamp first
  std::size_t commandAt = 0;
  long sequence = 0;    // 0: an older version's record, older than every other
  int oldSequence = 0;  // its ".NN"
  bool setAside = false;

  bool operator<(const RecordName& o) const {
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
  r->sequence = 0;
  r->oldSequence = 0;
  if (b.compare(at, 2, " #") == 0) {
    std::size_t digits = 0;
    while (Digits(b, at + 2 + digits, 1) && digits < 9) ++digits;
    r->sequence =
        digits < static_cast<std::size_t>(kSequenceDigits) ? 0 : Number(b, at + 2, digits);
    if (r->sequence == 0) return false;
    at += 2 + digits;
  } else if (at < b.size() && b[at] == '.') {
    r->oldSequence = Digits(b, at + 1, 2) ? Number(b, at + 1, 2) : 0;
    if (r->oldSequence == 0) return false;
    at += 3;
  }
  r->commandAt = at + 1;
  return at + 1 < b.size() && b[at] == ' ';
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
  return DateText(t) + " " + Decimal(t.hour, 2) + "." + Decimal(t.minute, 2) + "." +
         Decimal(t.second, 2);
}

// "2026-12-07 14.03.12" as people write it: "2026-12-07 14:03:12".
std::string ShownTime(const std::string& stamp) {
  std::string shown = stamp;
  shown[13] = shown[16] = ':';
  return shown;
}

bool SameValue(const RegValueRecord& a, const RegValueRecord& b) {
  return a.root == b.root && map::SameKeyPath(a.keyPath.c_str(), b.keyPath.c_str()) &&
         map::SameName(a.name.c_str(), b.name.c_str());
}

// The values a record of the family holds: the family's part of the map,
// each once, then the extra values that the map lacks.
std::vector<RegValueRecord> RowsOf(map::System family, const std::vector<RegValueRecord>& extra,
                                   std::size_t* mapRows = nullptr) {
  std::vector<RegValueRecord> rows;
  const auto add = [&rows](HKey root, const std::string& key, const std::string& name) {
    RegValueRecord r;
    r.root = root;
    r.keyPath = key;
    r.name = name;
    if (std::none_of(rows.begin(), rows.end(),
                     [&](const RegValueRecord& o) { return SameValue(o, r); })) {
      rows.push_back(std::move(r));
    }
  };
  for (const map::Location& l : map::kParameterMap) {
    if (map::OfSystem(l, family)) add(l.root, l.key, l.value);
  }
  if (mapRows != nullptr) *mapRows = rows.size();
  for (const RegValueRecord& e : extra) add(e.root, e.keyPath, e.name);
  return rows;
}

// What a value is called in Undo's question: its name, or for a key's
// default value the key's own name.
std::string ShortName(const RegValueRecord& r) {
  return r.name.empty() ? r.keyPath.substr(r.keyPath.rfind('\\') + 1) : r.name;
}

std::string KeyText(HKey root, const std::string& path) {
  return std::string("[") + NameOfRoot(root) + "\\" + path + "]";
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
void Line(std::string& out, const char* a, const std::string& b = std::string(),
          const std::string& c = std::string()) {
  out.append(a).append(b).append(c).append(kEol);
}

// The five ports, each on a line of the directive given ("before", "after").
// A port that the reader would refuse is not written.
void AddPorts(std::string& out, const char* directive, const std::vector<PortEntry>& ports) {
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (ports[i]) {
      if (const char* refused = QuotedTextRefusal(*ports[i])) {
        throw Error(FormatMessage(kPortRefused, map::kComPorts[i]) + refused);
      }
    }
    Line(out, directive, Quoted(map::kComPorts[i]) + "=", ports[i] ? Quoted(*ports[i]) : "-");
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
  std::vector<KeyName> newKeys;
  bool newSection = false;
  bool finished = false;
};

[[noreturn]] void Bad(std::size_t line, const std::string& path, const char* reason) {
  throw Error(InvalidLineText(static_cast<int>(line), path, std::string(), reason));
}

// The record's text, strictly: every line understood, the parts in their
// order, and every value of the rows and every port there before and, once
// the command finished, after it. Raises the first thing wrong, naming the
// file.
void ParseRecord(const std::string& text, const std::string& path, const std::string& command,
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
  const auto incomplete = [&](const std::string& what) {
    return Error(FormatMessage(kNotComplete, path) + what);
  };
  if (lines.empty() || lines[0] != "REGEDIT4") Bad(1, path, "not a REGEDIT4 file");

  ParsedRecord& r = *out;
  // Each part's lines at their own line numbers, the others left blank, so
  // that the REGEDIT4 reader names the file's lines.
  std::vector<std::string> beforeLines(lines.size()), afterLines(lines.size());
  beforeLines[0] = afterLines[0] = lines[0];
  enum Stage { kHead, kFamily, kAccount, kExtras, kBody, kAfterPorts, kAfterRest, kEnded };
  Stage stage = kHead;
  std::vector<RegValueRecord> extra;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (stage == kEnded) Bad(i + 1, path, "text after the end of the record");
    if (line.compare(0, 2, kAfterLine) == 0) {
      if (stage != kAfterRest) Bad(i + 1, path, "unknown line");
      afterLines[i] = line.substr(2);
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
    } else if (word == "extra" && stage == kExtras && r.portsBefore.empty()) {
      KeyName key;
      if (!ParseKeyText(arg, &key, &pos) || arg.compare(pos, 1, " ") != 0 ||
          !ParseQuoted(arg, ++pos, &quoted) || pos != arg.size()) {
        Bad(i + 1, path, "unknown line");
      }
      RegValueRecord e;
      e.root = key.root;
      e.keyPath = key.path;
      e.name = quoted;
      extra.push_back(std::move(e));
    } else if ((word == "before" && stage == kExtras) ||
               (word == "after" && (stage == kBody || stage == kAfterPorts))) {
      std::vector<PortEntry>& ports = word == "before" ? r.portsBefore : r.portsAfter;
      const std::string head = Quoted(map::kComPorts[ports.size()]) + "=";
      if (arg.compare(0, head.size(), head) != 0) Bad(i + 1, path, "not the next port");
      pos = head.size();
      PortEntry port;
      if (arg.compare(pos, std::string::npos, "-") != 0) {
        if (!ParseQuoted(arg, pos, &quoted) || pos != arg.size()) Bad(i + 1, path, "unknown value");
        if (const char* refused = QuotedTextRefusal(quoted)) Bad(i + 1, path, refused);
        port = std::move(quoted);
      }
      ports.push_back(std::move(port));
      if (ports.size() == map::kComPortsWritten) {
        stage = word == "before" ? kBody : kAfterRest;
      } else {
        stage = word == "before" ? kExtras : kAfterPorts;
      }
    } else if (word == "new-key" && stage == kAfterRest) {
      KeyName key;
      if (!ParseKeyText(arg, &key, &pos) || pos != arg.size()) Bad(i + 1, path, "unknown line");
      r.newKeys.push_back(std::move(key));
    } else if (word == "new-section" && stage == kAfterRest && arg == "[Ports]") {
      r.newSection = true;
    } else if (word == "end" && (stage == kBody || stage == kAfterRest)) {
      r.finished = stage == kAfterRest;
      stage = kEnded;
    } else {
      Bad(i + 1, path, "unknown line");
    }
  }
  if (stage != kEnded) throw incomplete("it ends before the end of the record");

  r.rows = RowsOf(r.family, extra);
  const auto read = [&](const std::vector<std::string>& part, const std::string& when) {
    std::string partText;
    for (const std::string& line : part) partText += line + kEol;
    RegFileParse parse = ReadRegFile(partText, [&](const RegValueRecord& v) {
      return std::any_of(r.rows.begin(), r.rows.end(),
                         [&](const RegValueRecord& row) { return SameValue(row, v); });
    });
    if (!parse.ok()) {
      throw Error(InvalidLineText(parse.badLine, path, parse.badText, parse.reason));
    }
    std::vector<RegValueRecord> ordered;
    for (const RegValueRecord& row : r.rows) {
      const auto found = std::find_if(parse.records.begin(), parse.records.end(),
                                      [&](const RegValueRecord& v) { return SameValue(row, v); });
      if (found == parse.records.end()) {
        throw incomplete("it does not hold " + ValueLabel(row) + " as it was " + when);
      }
      ordered.push_back(*found);
    }
    return ordered;
  };
  r.before = read(beforeLines, "before " + command);
  if (r.finished) r.after = read(afterLines, "after " + command);
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
void AddKept(std::string& text, const std::vector<std::string>& names, const char* one,
             const char* many) {
  if (names.empty()) return;
  text.append("\n").append(std::to_string(names.size())).append(names.size() == 1 ? one : many);
  for (std::size_t i = 0; i < names.size() && i < kMostNamed; ++i) {
    text.append(i == 0 ? "" : ", ").append(names[i]);
  }
  if (names.size() > kMostNamed) {
    text.append(" and ").append(std::to_string(names.size() - kMostNamed)).append(" more");
  }
  text.append(text.back() == ':' ? " ." : ".");
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
};

std::string HistoryFolder(Platform& platform) {
  return BackupFolder(platform) + kHistoryFolderName;
}

Journal::Journal(RawRegistry& registry, ProfileStrings& profiles, Platform& platform)
    : registry_(registry), profiles_(profiles), platform_(platform) {}

Journal::~Journal() = default;

std::string Journal::Record(const std::string& command, const std::vector<RegValueRecord>& extra) {
  pending_.reset();
  const std::string backup = BackupFolder(platform_);
  const std::string history = HistoryFolder(platform_);
  // Backup is checked before History is made in it: through a link, it
  // would be made wherever the link leads.
  if (std::string link = LinkFailure(platform_, backup); !link.empty()) return link;
  // The Backup folder is made only when History cannot be made without it.
  if (!platform_.DirectoryExists(history) && !platform_.CreateDirectory(history) &&
      !(platform_.CreateDirectory(backup) && platform_.CreateDirectory(history))) {
    return FormatMessage(kUnableToCreateFolder, history);
  }
  if (std::string link = LinkFailure(platform_, history); !link.empty()) return link;
  std::vector<std::string> files;
  if (!platform_.ListFiles(history, &files)) return FormatMessage(kUnableToList, history);

  auto pending = std::make_unique<Pending>();
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
    std::vector<std::size_t> missing;
    const std::vector<RegValueRecord> before = CaptureValues(registry_, pending->rows, &missing);
    pending->absentKeys = MissingKeys(registry_, pending->rows, missing);
    const std::vector<PortEntry> ports = CapturePorts(profiles_);
    pending->portsSectionExisted = PortsSectionThere(profiles_, ports);
    std::string& text = pending->text;
    Line(text, "REGEDIT4");
    Line(text, "");
    Line(text, "; Internet Zelvora journal: the settings before ", command, ", which regedit");
    Line(text, "; imports as they are. The lines \";#\" and \";>\" are for Undo.");
    Line(text, ";#record ", kFormat);
    Line(text, ";#family ", family == map::System::NT ? "NT" : "9x");
    Line(text, ";#account ", Quoted(account));
    for (std::size_t i = mapRows; i < pending->rows.size(); ++i) {
      const RegValueRecord& e = pending->rows[i];
      Line(text, ";#extra ", KeyText(e.root, e.keyPath) + " ", Quoted(e.name));
    }
    AddPorts(text, ";#before ", ports);
    text += RegBody(before, "");
  } catch (const Error& e) {
    return e.what();
  }

  // The newest record is the one with the highest number, whatever the
  // clock said when each was made.
  long sequence = 0;
  for (const RecordName& r : RecordsIn(files, kRecordExtension, true)) {
    sequence = std::max(sequence, r.sequence);
  }
  ++sequence;
  int digits = kSequenceDigits;
  for (long n = sequence; n >= 10000; n /= 10) ++digits;
  pending->path = history + "\\" + StampOf(platform_.Now()) + " #" +
                  Decimal(static_cast<int>(sequence), digits) + " " + command + kRecordExtension;
  std::string whole = pending->text;
  Line(whole, ";#end");
  if (whole.size() > kMaxSavedFileBytes) return kSavedFileTooLarge;
  if (!platform_.WriteFileAtomically(pending->path, whole)) {
    return FormatMessage(kUnableToWrite, pending->path);
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
    platform_.DeleteFile(history + "\\" + records[i].base + kRecordExtension);
  }
  for (const RecordName& p : RecordsIn(files, kOldPortsExtension)) {
    const bool kept =
        p.sequence == 0 &&
        std::any_of(records.begin() + static_cast<std::ptrdiff_t>(excess), records.end(),
                    [&](const RecordName& r) { return r.base == p.base; });
    if (!kept) platform_.DeleteFile(history + "\\" + p.base + kOldPortsExtension);
  }
  return std::string();
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
    // Deepest first, as Undo removes them.
    std::size_t deepest = 0;
    for (const KeyName& key : pending->absentKeys) deepest = std::max(deepest, Depth(key));
    for (std::size_t depth = deepest + 1; depth-- > 0;) {
      for (const KeyName& key : pending->absentKeys) {
        if (Depth(key) == depth && KeyExists(registry_, key)) {
          Line(text, ";#new-key ", KeyText(key.root, key.path));
        }
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
    return FormatMessage(kUnableToWrite, pending->path);
  }
  return std::string();
}

UndoPlan Journal::PlanUndo() {
  UndoPlan plan;
  const std::string history = HistoryFolder(platform_);
  if (!platform_.DirectoryExists(history)) return plan;
  for (const std::string& folder : {BackupFolder(platform_), history}) {
    if (std::string link = LinkFailure(platform_, folder); !link.empty()) {
      plan.found = true;
      plan.failure = link;
      return plan;
    }
  }
  std::vector<std::string> files;
  if (!platform_.ListFiles(history, &files)) {
    plan.found = true;
    plan.failure = FormatMessage(kUnableToList, history);
    return plan;
  }
  const std::vector<RecordName> records = RecordsIn(files, kRecordExtension);
  if (records.empty()) return plan;
  const RecordName& newest = records.back();
  plan.found = true;
  plan.command = newest.base.substr(newest.commandAt);
  plan.time = ShownTime(newest.base.substr(0, kStampLength));
  plan.record = history + "\\" + newest.base + kRecordExtension;
  // What is wrong with the record itself can be set aside; what is wrong
  // with reading it, or the settings now, cannot.
  bool damaged = true;
  ParsedRecord r;
  std::vector<RegValueRecord> now;
  std::vector<PortEntry> portsNow;
  try {
    if (newest.sequence == 0) throw Error(FormatMessage(kOlderVersion, plan.record));
    damaged = false;
    if (std::string link = LinkFailure(platform_, plan.record); !link.empty()) throw Error(link);
    std::string text;
    const FileRead read = platform_.ReadFile(plan.record, &text, kMaxSavedFileBytes);
    damaged = read == FileRead::TooLarge;
    if (read != FileRead::Ok) {
      throw Error(FormatMessage(damaged ? kTooLarge : kUnableToRead, plan.record));
    }
    damaged = true;
    ParseRecord(text, plan.record, plan.command, &r);
    if (!r.finished) {
      throw Error(FormatMessage(kNotComplete, plan.record) + plan.command +
                  " did not finish, so what it left was not recorded");
    }
    damaged = false;
    now = CaptureValues(registry_, r.rows);
    portsNow = CapturePorts(profiles_);
  } catch (const Error& e) {
    (damaged ? plan.damage : plan.failure) = e.what();
    return plan;
  }
  plan.account = r.account;
  const bool sameAccount = r.account == platform_.UserName();
  // Only what the command changed is looked at; of that, what is still as it
  // left it goes back, and what something else changed since stays.
  for (std::size_t i = 0; i < r.rows.size(); ++i) {
    if (r.after[i] == r.before[i]) continue;
    if (r.rows[i].root == kHKCU && !sameAccount) {
      plan.otherAccount.push_back(ShortName(r.rows[i]));
    } else if (now[i] == r.before[i]) {
      ++plan.unchanged;
    } else if (now[i] == r.after[i]) {
      plan.values.push_back(r.before[i]);
    } else {
      plan.changedSince.push_back(ShortName(r.rows[i]));
    }
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
  for (const KeyName& key : r.newKeys) {
    if (key.root != kHKCU || sameAccount) plan.createdKeys.push_back(key);
  }
  plan.createdPortsSection = r.newSection;
  plan.portsBefore = std::move(r.portsBefore);
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
  result.failures = PutBackValues(registry_, plan.values);
  const std::string winIni = WinIniPath(profiles_);
  {
    ProfileFile flushed(profiles_, winIni);
    bool written = true;
    for (std::size_t index : plan.portsBack) {
      const PortEntry& port = plan.portsBefore[index];
      written &=
          port ? profiles_.WriteString(winIni, map::kSectionPorts, map::kComPorts[index], *port)
               : profiles_.RemoveString(winIni, map::kSectionPorts, map::kComPorts[index]);
    }
    if (plan.createdPortsSection && profiles_.KeyNames(winIni, map::kSectionPorts).empty()) {
      written &= profiles_.RemoveSection(winIni, map::kSectionPorts);
    }
    if (!written) result.failures.push_back(FormatMessage(kUnableToWrite, winIni));
  }
  // Deepest first: a key goes only once it is empty, and the 9x family would
  // take a key's subkeys with it.
  for (const KeyName& key : plan.createdKeys) {
    HKey handle = 0;
    if (registry_.OpenKey(key.root, key.path, kKeyQueryValue, &handle) != kRegOk) continue;
    std::uint32_t subKeys = 1, values = 1;
    const long counted = registry_.QueryKeyCounts(handle, &subKeys, &values);
    registry_.CloseKey(handle);
    if (counted != kRegOk || subKeys != 0 || values != 0) continue;
    const long status = registry_.DeleteKey(key.root, key.path);
    if (status != kRegOk && status != kRegNotFound) {
      result.failures.push_back(FormatMessage(
          kUnableToRemoveKey, std::string(key.root == kHKLM ? "HKLM\\" : "HKCU\\") + key.path));
    }
  }
  if (!result.failures.empty()) return result;
  if (!platform_.DeleteFile(plan.record)) {
    result.failures.push_back(FormatMessage(kUnableToDelete, plan.record));
  }
  return result;
}

std::string Journal::SetAside(const UndoPlan& plan) {
  const std::string aside = plan.record + kSetAsideSuffix;
  if (!platform_.CopyFile(plan.record, aside, true) || !platform_.DeleteFile(plan.record)) {
    return FormatMessage(kUnableToSetAside, plan.record);
  }
  // An older version's ports part goes with its record.
  const std::string ports =
      plan.record.substr(0, plan.record.size() - std::char_traits<char>::length(kRecordExtension)) +
      kOldPortsExtension;
  if (platform_.FileExists(ports) && platform_.CopyFile(ports, ports + kSetAsideSuffix, true)) {
    platform_.DeleteFile(ports);
  }
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
  return [this] {
    const std::string reason = journal_.Record(command_);
    recorded_ = reason.empty();
    if (recorded_) return;
    if (without_ == WithoutRecord::Refuse) {
      throw Error("Nothing was written: the change could not be recorded for Undo. " + reason);
    }
    if (platform_.MessageBox(UnrecordedChangeQuestion(command_, reason), "Confirm",
                             MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
      throw CommandStopped();
    }
  };
}

void JournalRun::Finish() {
  if (!recorded_) return;
  recorded_ = false;
  if (const std::string reason = journal_.Finish(); !reason.empty()) {
    throw Error(FormatMessage(kLeftNotRecorded, reason));
  }
}

std::string UnrecordedChangeQuestion(const std::string& command, const std::string& reason) {
  return "The settings as they are now could not be recorded before " + command + ":\n" + reason +
         "\n\nThis change could not be undone. Do you want to go on?";
}

std::string UndoQuestion(const UndoPlan& plan) {
  const std::size_t back = plan.values.size() + plan.portsBack.size() + plan.unchanged;
  std::string text = "Undo " + plan.command + " of " + plan.time + "?\n";
  text.append(std::to_string(back))
      .append(back == 1 ? " value is put back." : " values are put back.");
  AddKept(text, plan.changedSince, " value was changed since by another program and is kept: ",
          " values were changed since by another program and are kept: ");
  const std::string account = " to the account " + plan.account;
  AddKept(text, plan.otherAccount, (" value belongs" + account + " and is kept: ").c_str(),
          (" values belong" + account + " and are kept: ").c_str());
  return text;
}

std::string SetAsideQuestion(const UndoPlan& plan) {
  const std::string name = plan.record.substr(plan.record.rfind('\\') + 1);
  return "The newest change cannot be undone:\n" + plan.damage +
         ".\n\nSet its record aside (it is kept as \"" + name + kSetAsideSuffix +
         "\") and undo the change before it?";
}

std::string UndoneText(const UndoResult& result) {
  return "The change made by " + result.command + " on " + result.time.substr(0, 10) + " at " +
         result.time.substr(11) +
         " has been undone. Windows must be restarted before the restored settings take effect.";
}

}  // namespace iz
