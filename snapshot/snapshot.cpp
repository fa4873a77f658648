#include "snapshot/snapshot.h"

#include <algorithm>

#include "model/os_kind.h"
#include "store/error.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

constexpr const char* kBackupFolderName = "Backup";
constexpr const char* kUnableToRead = "Unable to read %s";
constexpr const char* kIsLink =
    "%s is a junction or symbolic link. The backup does not follow links, which could lead "
    "to files elsewhere; remove it and try again";
constexpr const char* kOpenToOthers =
    "%s may be changed by accounts other than the administrators, so what it holds cannot be "
    "trusted. Move Internet Zelvora to a folder under Program Files, or delete this folder, "
    "and try again.";
constexpr const char* kTooLarge =
    "%s is larger than 1 MiB, far more than a backup writes; it was "
    "not read";

std::string WithoutLeadingBackslash(const char* path) { return *path == '\\' ? path + 1 : path; }

// The whole file or nothing: a line that is not understood, or a value that
// the backup never saves, stops the restore before it changes anything. The
// map is checked record by record, so a long file of foreign values stops
// at its first.
std::vector<RegValueRecord> ParseSavedValues(const std::string& text, const std::string& path) {
  RegFileParse parse = ReadRegFile(text, [](const RegValueRecord& r) {
    return map::FindLocation(r.root, r.keyPath.c_str(), r.name.c_str()) != nullptr ||
           IsAdapterValue(r.root, r.keyPath, r.name);
  });
  if (parse.ok()) return std::move(parse.records);
  throw Error(InvalidLineText(parse.badLine, path, parse.badText, parse.reason));
}

}  // namespace

std::string FolderSafetyFailure(Platform& platform, const std::string& folder) {
  if (platform.CheckFolder(folder) != FolderSafety::OpenToOthers) return std::string();
  return FormatMessage(kOpenToOthers, folder);
}

std::string LinkFailure(Platform& platform, const std::string& path) {
  return platform.IsReparsePoint(path) ? FormatMessage(kIsLink, path) : std::string();
}

std::string UnableToWriteText(Platform& platform, const std::string& path) {
  // The system's text first: the checks below may replace it.
  std::string reason = platform.LastErrorText();
  const std::size_t cut = path.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut);
  if (!folder.empty() && folder.back() != ':' && !platform.DirectoryExists(folder)) {
    reason = "the folder " + folder + " does not exist";
  } else if (platform.DirectoryExists(path)) {
    reason = "it is a folder";
  } else if (reason.empty()) {
    reason = "Windows gave no reason";
  }
  return FormatMessage(kUnableToWrite, path).append(": ").append(reason);
}

std::vector<RegValueRecord> ReadSavedValuesFile(Platform& platform, const std::string& path) {
  if (std::string link = LinkFailure(platform, path); !link.empty()) throw Error(link);
  std::string text;
  switch (platform.ReadFile(path, &text, kMaxSavedFileBytes)) {
    case FileRead::Ok:
      break;
    case FileRead::TooLarge:
      throw Error(FormatMessage(kTooLarge, path));
    case FileRead::Failed:
      throw Error(FormatMessage(kUnableToRead, path));
  }
  return ParseSavedValues(text, path);
}

std::string BackupFolder(Platform& platform) {
  const std::string program = platform.ProgramPath();
  const std::size_t slash = program.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : program.substr(0, slash + 1);
  return folder + kBackupFolderName;
}

namespace {

// The mapped values, each once at its first place in the map (several
// operations may list one value), without the leading backslash of its key.
// Worked out once: the journal captures before every change.
const std::vector<RegValueRecord>& Mapped() {
  static const std::vector<RegValueRecord> mapped = [] {
    std::vector<RegValueRecord> out;
    for (const map::Location& l : map::kParameterMap) {
      const bool seen = std::any_of(out.begin(), out.end(), [&](const RegValueRecord& o) {
        return o.root == l.root && map::SameKeyPath(o.keyPath.c_str(), l.key) &&
               map::SameName(o.name.c_str(), l.value);
      });
      if (seen) continue;
      RegValueRecord r;
      r.root = l.root;
      r.keyPath = WithoutLeadingBackslash(l.key);
      r.name = l.value;
      out.push_back(std::move(r));
    }
    return out;
  }();
  return mapped;
}

}  // namespace

// The five entries as the profile functions give them. A read cannot tell an
// absent entry from one holding the default, so two defaults that no entry
// can hold both are asked for; the second only when the first came back.
// Nothing is written, so nothing is flushed.
std::vector<PortEntry> CapturePorts(ProfileStrings& profiles) {
  const std::string winIni = WinIniPath(profiles);
  std::vector<PortEntry> ports;
  for (const char* port : map::kComPorts) {
    const std::string a = profiles.ReadString(winIni, map::kSectionPorts, port, "\x01");
    const bool absent =
        a == "\x01" && profiles.ReadString(winIni, map::kSectionPorts, port, "\x02") == "\x02";
    ports.push_back(absent ? PortEntry() : PortEntry(a));
  }
  return ports;
}

std::vector<RegValueRecord> CaptureMappedValues(RawRegistry& registry) {
  return CaptureValues(registry, Mapped());
}

// Each key is opened once for all of its values, and each value is read with
// one query where it fits the first buffer: the journal captures around
// every change, so this is on the way of every Optimize.
std::vector<RegValueRecord> CaptureValues(RawRegistry& registry,
                                          std::vector<RegValueRecord> records,
                                          std::vector<std::size_t>* missingKeys) {
  std::vector<bool> done(records.size(), false);
  SettingsSession session(registry);
  for (std::size_t first = 0; first < records.size(); ++first) {
    if (done[first]) continue;
    const RegValueRecord& key = records[first];
    session.ClosePath();
    session.SetRoot(key.root);
    // Only the registry's "does not exist" makes a value absent: an absent
    // value is removed by the restore, so an unreadable one saved as absent
    // would be deleted there. A key that will not open names its first value.
    long status = kRegOk;
    const bool open = session.OpenPathReadOnly("\\" + key.keyPath, &status);
    if (!open && status != kRegNotFound) {
      throw Error(FormatMessage(kFailedToGetData, ValueLabel(key)));
    }
    if (!open && missingKeys != nullptr) missingKeys->push_back(first);
    for (std::size_t at = first; at < records.size(); ++at) {
      RegValueRecord& r = records[at];
      if (done[at] || r.root != key.root ||
          !map::SameKeyPath(r.keyPath.c_str(), key.keyPath.c_str())) {
        continue;
      }
      done[at] = true;
      status = open ? session.ReadValue(r.name, &r.type, &r.data) : kRegNotFound;
      if (status != kRegOk && status != kRegNotFound) {
        throw Error(FormatMessage(kFailedToGetData, ValueLabel(r)));
      }
      r.present = status == kRegOk;
      if (!r.present) {
        r.type = 0;
        r.data.clear();
      }
    }
  }
  return records;
}

std::vector<RegValueRecord> AdapterRows(const std::vector<Adapter>& adapters) {
  std::vector<RegValueRecord> rows;
  for (const Adapter& adapter : adapters) {
    if (!WrittenByAdapterStep(adapter)) continue;
    for (const AdapterValue& v : AdapterValues(adapter.stack)) {
      RegValueRecord r;
      r.root = kHKLM;
      r.keyPath = adapter.key;
      r.name = v.name;
      rows.push_back(std::move(r));
    }
  }
  return rows;
}

std::vector<RegValueRecord> CaptureAdapterValues(RawRegistry& registry,
                                                 const std::vector<Adapter>& adapters) {
  return CaptureValues(registry, AdapterRows(adapters));
}

std::vector<RegValueRecord> CaptureSettings(RawRegistry& registry, Platform& platform) {
  std::vector<RegValueRecord> records = CaptureMappedValues(registry);
  const std::vector<Adapter> adapters = FindAdapters(registry, GetOSKind(platform), false);
  for (RegValueRecord& r : CaptureAdapterValues(registry, adapters)) records.push_back(std::move(r));
  return records;
}

std::vector<std::string> PutBackValues(RawRegistry& registry,
                                       const std::vector<RegValueRecord>& records) {
  std::vector<std::string> failures;
  SettingsSession session(registry);
  for (const RegValueRecord& r : records) {
    // Closed first: a failed open would otherwise leave the previous key open
    // and the value would land there.
    session.ClosePath();
    session.SetRoot(r.root);
    const std::string path = "\\" + r.keyPath;
    try {
      if (r.present) {
        const bool adapter = IsAdapterValue(r.root, r.keyPath, r.name);
        long status = kRegOk;
        if (!session.OpenPath(path, !adapter, &status) && adapter && status == kRegNotFound) {
          continue;
        }
        session.PutValue(r.name, r.type, r.data);
      } else {
        // A key that does not exist holds no value to remove.
        long status = kRegOk;
        if (session.OpenPath(path, false, &status)) {
          session.EraseValue(r.name);
        } else if (status != kRegNotFound) {
          throw Error(kFailedToRemove);
        }
      }
    } catch (const Error&) {
      failures.push_back(
          FormatMessage(r.present ? kFailedToSetData : kFailedToRemove, ValueLabel(r)));
    }
  }
  return failures;
}

}  // namespace iz
