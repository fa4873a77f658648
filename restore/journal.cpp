#include "restore/journal.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <tuple>
#include <utility>

#include "restore/backup.h"
#include "restore/reg_file.h"
#include "store/error.h"
#include "store/parameter_map.h"

namespace iz {

namespace {

constexpr const char* kHistoryFolderName = "\\History";
constexpr const char* kValuesExtension = ".reg";
constexpr const char* kPortsExtension = ".ini";
constexpr int kMostPerStamp = 99;         // ".01" to ".99"
constexpr std::size_t kStampLength = 19;  // "2026-12-07 14.03.12"
constexpr const char* kEol = "\r\n";

constexpr const char* kUnableToCreateFolder = "Unable to create the folder %s";
constexpr const char* kUnableToList = "Unable to read the folder %s";
constexpr const char* kUnableToRead = "Unable to read %s";
// The ports part is five short lines.
constexpr std::uint64_t kMaxPortsFile = 64 * 1024;
constexpr const char* kUnableToDelete = "Unable to delete %s";
constexpr const char* kTooMany = "Too many changes recorded at %s";

// A record's name taken apart: "<stamp>[.NN] <command>".
struct RecordName {
  std::string stamp;
  int sequence = 0;
  std::string command;
  std::string base;  // the file name without its extension

  bool operator<(const RecordName& o) const {
    return std::tie(stamp, sequence) < std::tie(o.stamp, o.sequence);
  }
};

bool Digits(const std::string& s, std::size_t at, std::size_t count) {
  if (at + count > s.size()) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

// Only files of exactly the journal's form count; anything else a user put
// into the folder is left alone.
std::optional<RecordName> ParseRecordName(const std::string& file, const char* extension) {
  const std::string ext = extension;
  if (file.size() <= ext.size()) return std::nullopt;
  std::string tail = file.substr(file.size() - ext.size());
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (tail != ext) return std::nullopt;
  RecordName r;
  r.base = file.substr(0, file.size() - ext.size());
  const std::string& b = r.base;
  const char* const pattern = "dddd-dd-dd dd.dd.dd";
  if (b.size() < kStampLength) return std::nullopt;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    if (pattern[i] == 'd' ? !Digits(b, i, 1) : b[i] != pattern[i]) return std::nullopt;
  }
  r.stamp = b.substr(0, kStampLength);
  std::size_t at = kStampLength;
  if (at < b.size() && b[at] == '.') {
    if (!Digits(b, at + 1, 2)) return std::nullopt;
    r.sequence = (b[at + 1] - '0') * 10 + (b[at + 2] - '0');
    if (r.sequence == 0) return std::nullopt;
    at += 3;
  }
  if (at + 1 >= b.size() || b[at] != ' ') return std::nullopt;
  r.command = b.substr(at + 1);
  return r;
}

std::vector<RecordName> RecordsIn(const std::vector<std::string>& files, const char* extension) {
  std::vector<RecordName> records;
  for (const std::string& f : files) {
    if (auto r = ParseRecordName(f, extension)) records.push_back(std::move(*r));
  }
  std::sort(records.begin(), records.end());
  return records;
}

std::string StampOf(const DateTime& t) {
  return DateText(t) + " " + Decimal(t.hour, 2) + "." + Decimal(t.minute, 2) + "." +
         Decimal(t.second, 2);
}

// "2026-12-07 14.03.12" as people write it: "2026-12-07 14:03:12".
std::string ShownTime(const std::string& stamp) {
  std::string shown = stamp;
  std::replace(shown.begin() + 11, shown.end(), '.', ':');
  return shown;
}

std::string WritePorts(const std::string& command, const std::vector<PortEntry>& ports) {
  std::string out = "; Win.ini [Ports] before " + command + "; - marks an absent entry." + kEol;
  out += std::string("[") + map::kSectionPorts + "]" + kEol;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    out += Quoted(map::kComPorts[i]) + "=" + (ports[i] ? Quoted(*ports[i]) : "-") + kEol;
  }
  return out;
}

// The whole ports part or nothing: the section line, then the five entries in
// order, each line ending in a line break.
std::vector<PortEntry> ReadPorts(const std::string& text, const std::string& path) {
  std::vector<PortEntry> ports;
  bool inSection = false;
  int lineNumber = 0;
  std::size_t start = 0;
  auto bad = [&](const std::string& reason) {
    return Error("Line " + std::to_string(lineNumber) + " of " + path + " is not valid: " + reason);
  };
  while (start < text.size()) {
    ++lineNumber;
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) throw bad("line cut off");
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (!inSection) {
      if (line != std::string("[") + map::kSectionPorts + "]") throw bad("unknown line");
      inSection = true;
      continue;
    }
    if (ports.size() == map::kComPortsWritten) throw bad("unknown line");
    const std::string head = Quoted(map::kComPorts[ports.size()]) + "=";
    if (line.compare(0, head.size(), head) != 0) throw bad("not the next port");
    const std::string rest = line.substr(head.size());
    if (rest == "-") {
      ports.emplace_back();
      continue;
    }
    std::string value;
    std::size_t i = 1;
    bool closed = false;
    if (rest.empty() || rest[0] != '"') throw bad("unknown value");
    for (; i < rest.size(); ++i) {
      if (rest[i] == '"') {
        closed = true;
        break;
      }
      if (rest[i] == '\\') {
        if (++i == rest.size() || (rest[i] != '\\' && rest[i] != '"')) throw bad("bad escape");
      }
      value += rest[i];
    }
    if (!closed || i + 1 != rest.size()) throw bad("unknown value");
    ports.emplace_back(std::move(value));
  }
  if (ports.size() != map::kComPortsWritten) {
    ++lineNumber;
    throw bad("ports missing");
  }
  return ports;
}

}  // namespace

std::string HistoryFolder(Platform& platform) {
  return BackupFolder(platform) + kHistoryFolderName;
}

Journal::Journal(RawRegistry& registry, ProfileStrings& profiles, Platform& platform)
    : registry_(registry), profiles_(profiles), platform_(platform) {}

std::string Journal::Record(const std::string& command) {
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

  std::string values, ports;
  try {
    values = WriteRegFile(CaptureMappedValues(registry_));
    ports = WritePorts(command, CapturePorts(profiles_));
  } catch (const Error& e) {
    return e.what();
  }

  // Later than every record there is, whatever the clock says: Undo takes the
  // last name in order, and that must be the last record made.
  RecordName name;
  name.stamp = StampOf(platform_.Now());
  std::vector<RecordName> existing = RecordsIn(files, kValuesExtension);
  for (RecordName& r : RecordsIn(files, kPortsExtension)) existing.push_back(std::move(r));
  std::sort(existing.begin(), existing.end());
  if (!existing.empty() && !(existing.back() < name)) {
    name.stamp = existing.back().stamp;
    name.sequence = existing.back().sequence + 1;
    if (name.sequence > kMostPerStamp) return FormatMessage(kTooMany, ShownTime(name.stamp));
  }
  const std::string sequence = name.sequence > 0 ? "." + Decimal(name.sequence, 2) : "";
  const std::string base = history + "\\" + name.stamp + sequence + " " + command;

  const std::string portsPath = base + kPortsExtension;
  const std::string valuesPath = base + kValuesExtension;
  if (!platform_.WriteFileAtomically(portsPath, ports)) {
    return FormatMessage(kUnableToWrite, portsPath);
  }
  if (!platform_.WriteFileAtomically(valuesPath, values)) {
    platform_.DeleteFile(portsPath);
    return FormatMessage(kUnableToWrite, valuesPath);
  }

  // The oldest records go, with their ports parts, and a ports part whose
  // record never got its .reg (a run that ended in between). The folder was
  // listed above; with this record added that listing is what it holds now,
  // but for what another instance wrote meanwhile, which the next record
  // sees. A file that cannot be removed now is tried again next time.
  files.push_back(valuesPath.substr(history.size() + 1));
  files.push_back(portsPath.substr(history.size() + 1));
  const std::vector<RecordName> records = RecordsIn(files, kValuesExtension);
  const std::size_t excess = records.size() > kJournalSize ? records.size() - kJournalSize : 0;
  for (std::size_t i = 0; i < excess; ++i) {
    platform_.DeleteFile(history + "\\" + records[i].base + kValuesExtension);
  }
  for (const RecordName& p : RecordsIn(files, kPortsExtension)) {
    const bool kept =
        std::any_of(records.begin() + static_cast<std::ptrdiff_t>(excess), records.end(),
                    [&](const RecordName& r) { return r.base == p.base; });
    if (!kept) platform_.DeleteFile(history + "\\" + p.base + kPortsExtension);
  }
  return std::string();
}

UndoResult Journal::UndoLast() {
  UndoResult result;
  const std::string history = HistoryFolder(platform_);
  if (!platform_.DirectoryExists(history)) return result;
  for (const std::string& folder : {BackupFolder(platform_), history}) {
    if (std::string link = LinkFailure(platform_, folder); !link.empty()) {
      result.found = true;
      result.failures.push_back(link);
      return result;
    }
  }
  std::vector<std::string> files;
  if (!platform_.ListFiles(history, &files)) {
    result.found = true;
    result.failures.push_back(FormatMessage(kUnableToList, history));
    return result;
  }
  const std::vector<RecordName> records = RecordsIn(files, kValuesExtension);
  if (records.empty()) return result;
  const RecordName& newest = records.back();
  result.found = true;
  result.command = newest.command;
  result.time = ShownTime(newest.stamp);

  const std::string valuesPath = history + "\\" + newest.base + kValuesExtension;
  const std::string portsPath = history + "\\" + newest.base + kPortsExtension;
  std::vector<RegValueRecord> values;
  std::vector<PortEntry> ports;
  try {
    values = ReadSavedValuesFile(platform_, valuesPath);
    std::string text;
    if (!LinkFailure(platform_, portsPath).empty() ||
        platform_.ReadFile(portsPath, &text, kMaxPortsFile) != FileRead::Ok) {
      throw Error(FormatMessage(kUnableToRead, portsPath));
    }
    ports = ReadPorts(text, portsPath);
  } catch (const Error& e) {
    result.failures.push_back(e.what());
    return result;
  }

  result.failures = PutBackValues(registry_, values);
  {
    const std::string winIni = WinIniPath(profiles_);
    ProfileFile flushed(profiles_, winIni);
    bool written = true;
    for (std::size_t i = 0; i < ports.size(); ++i) {
      written &=
          ports[i] ? profiles_.WriteString(winIni, map::kSectionPorts, map::kComPorts[i], *ports[i])
                   : profiles_.RemoveString(winIni, map::kSectionPorts, map::kComPorts[i]);
    }
    if (!written) result.failures.push_back(FormatMessage(kUnableToWrite, winIni));
  }
  if (!result.failures.empty()) return result;

  // Gone once the .reg is gone; a ports part left over goes with the next record.
  if (!platform_.DeleteFile(valuesPath)) {
    result.failures.push_back(FormatMessage(kUnableToDelete, valuesPath));
    return result;
  }
  platform_.DeleteFile(portsPath);
  return result;
}

std::string UnrecordedChangeQuestion(const std::string& command, const std::string& reason) {
  return "The settings as they are now could not be recorded before " + command + ":\n" + reason +
         "\n\nThis change could not be undone. Do you want to go on?";
}

std::string UndoneText(const UndoResult& result) {
  return "The change made by " + result.command + " on " + result.time.substr(0, 10) + " at " +
         result.time.substr(11) +
         " has been undone. Windows must be restarted before the restored settings take effect.";
}

}  // namespace iz
