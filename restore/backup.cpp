#include "restore/backup.h"

#include <algorithm>

#include "app/title.h"
#include "store/error.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

constexpr const char* kBackupFolderName = "Backup";
// Each with its leading backslash, to be appended to a folder; handled in
// this order.
constexpr const char* kSavedFiles[] = {"\\System.dat", "\\User.dat", "\\System.ini",
                                       map::kWinIniName};
constexpr const char* kRegistryFile = "\\Registry.reg";

constexpr const char* kSavedText = "Your current settings have been saved.";
constexpr const char* kRestoredText = "Your original settings have been restored.";
constexpr const char* kNothingSaved = "No saved settings were found in %s.";
constexpr const char* kInformationCaption = "Information";
constexpr const char* kUnableToRead = "Unable to read %s";

std::string CopyFailure(const std::string& from, const std::string& to) {
  return "Unable to copy " + from + " to " + to;
}

void RaiseIfAny(const std::vector<std::string>& failures) {
  if (failures.empty()) return;
  std::string text = failures.front();
  for (std::size_t i = 1; i < failures.size(); ++i) text += "\n" + failures[i];
  throw Error(text);
}

std::string WithoutLeadingBackslash(const char* path) { return *path == '\\' ? path + 1 : path; }

// The whole file or nothing: a line that is not understood, or a value that
// the backup never saves, stops the restore before it changes anything.
std::vector<RegValueRecord> ParseSavedValues(const std::string& text, const std::string& path) {
  RegFileParse parse = ReadRegFile(text);
  int badLine = parse.badLine;
  std::string badText = parse.badText, reason = parse.reason;
  for (std::size_t i = 0; parse.ok() && i < parse.records.size(); ++i) {
    const RegValueRecord& r = parse.records[i];
    if (map::FindLocation(r.root, r.keyPath.c_str(), r.name.c_str()) == nullptr) {
      badLine = parse.lines[i];
      badText.clear();
      reason = "not a setting that the backup saves";
    }
    if (badLine != 0) break;
  }
  if (badLine == 0) return std::move(parse.records);
  std::string where = "Line " + std::to_string(badLine) + " of " + path;
  if (!badText.empty()) where += " (" + badText + ")";
  throw Error(where + " is not valid: " + reason);
}

}  // namespace

std::string BackupFolder(Platform& platform) {
  const std::string program = platform.ProgramPath();
  const std::size_t slash = program.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : program.substr(0, slash + 1);
  return folder + kBackupFolderName;
}

std::vector<RegValueRecord> CaptureMappedValues(RawRegistry& registry) {
  std::vector<RegValueRecord> records;
  SettingsSession session(registry);
  for (const map::Location& l : map::kParameterMap) {
    const bool seen = std::any_of(records.begin(), records.end(), [&](const RegValueRecord& r) {
      return r.root == l.root && map::SameKeyPath(r.keyPath.c_str(), l.key) &&
             map::SameName(r.name.c_str(), l.value);
    });
    if (seen) continue;
    RegValueRecord r;
    r.root = l.root;
    r.keyPath = WithoutLeadingBackslash(l.key);
    r.name = l.value;
    session.ClosePath();
    session.SetRoot(l.root);
    if (session.OpenPathReadOnly("\\" + r.keyPath)) {
      r.present = session.GetValue(r.name, &r.type, &r.data);
    }
    if (!r.present) {
      r.type = 0;
      r.data.clear();
    }
    records.push_back(std::move(r));
  }
  return records;
}

void PutBackValues(RawRegistry& registry, const std::vector<RegValueRecord>& records) {
  SettingsSession session(registry);
  for (const RegValueRecord& r : records) {
    // Closed first: a failed open would otherwise leave the previous key open
    // and the value would land there.
    session.ClosePath();
    session.SetRoot(r.root);
    const std::string path = "\\" + r.keyPath;
    if (r.present) {
      session.OpenPath(path, true);
      session.PutValue(r.name, r.type, r.data);
    } else if (session.OpenPath(path, false)) {
      session.RemoveValue(r.name);
    }
  }
}

void SaveSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform) {
  const std::string folder = BackupFolder(platform);
  if (!platform.DirectoryExists(folder)) platform.CreateDirectory(folder);
  const std::string windows = WindowsDirectory(profiles);
  // The copy must hold what the profile functions may still have cached.
  profiles.Flush(WinIniPath(profiles));

  std::vector<std::string> failures;
  for (const char* name : kSavedFiles) {
    const std::string saved = folder + name;
    const std::string live = windows + name;
    // A previous copy of a read-only system file could not be overwritten.
    if (platform.FileExists(saved)) platform.SetFileAttributes(saved, kFileAttributeNormal);
    // The NT family has no System.dat or User.dat: a missing file is fine.
    if (platform.FileExists(live) && !platform.CopyFile(live, saved, false)) {
      failures.push_back(CopyFailure(live, saved));
    }
  }

  const std::string regPath = folder + kRegistryFile;
  try {
    const std::string text = WriteRegFile(CaptureMappedValues(registry));
    if (platform.FileExists(regPath)) platform.SetFileAttributes(regPath, kFileAttributeNormal);
    if (!platform.WriteFileAtomically(regPath, text)) {
      failures.push_back(FormatMessage(kUnableToWrite, regPath));
    }
  } catch (const Error& e) {
    failures.push_back(e.what());
  }

  RaiseIfAny(failures);
  platform.MessageBox(kSavedText, kAppTitle, MsgIcon::None, MsgButtons::Ok);
}

void RestoreSavedSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform) {
  const std::string folder = BackupFolder(platform);
  const std::string windows = WindowsDirectory(profiles);
  const std::string regPath = folder + kRegistryFile;

  const bool haveValues = platform.FileExists(regPath);
  const bool haveFiles =
      std::any_of(std::begin(kSavedFiles), std::end(kSavedFiles),
                  [&](const char* name) { return platform.FileExists(folder + name); });
  if (!haveValues && !haveFiles) {
    platform.MessageBox(FormatMessage(kNothingSaved, folder), kInformationCaption,
                        MsgIcon::Information, MsgButtons::Ok);
    return;
  }

  std::vector<RegValueRecord> values;
  if (haveValues) {
    std::string text;
    if (!platform.ReadFile(regPath, &text)) throw Error(FormatMessage(kUnableToRead, regPath));
    values = ParseSavedValues(text, regPath);
  }

  // A cached profile write must not land on top of the copy afterwards.
  profiles.Flush(WinIniPath(profiles));
  std::vector<std::string> failures;
  for (const char* name : kSavedFiles) {
    const std::string saved = folder + name;
    const std::string live = windows + name;
    if (!platform.FileExists(saved)) continue;
    // The live copy may be read-only (the registry files usually are).
    platform.SetFileAttributes(live, kFileAttributeNormal);
    if (!platform.CopyFile(saved, live, false)) failures.push_back(CopyFailure(saved, live));
  }

  try {
    PutBackValues(registry, values);
  } catch (const Error& e) {
    failures.push_back(e.what());
  }

  RaiseIfAny(failures);
  platform.MessageBox(kRestoredText, kAppTitle, MsgIcon::None, MsgButtons::Ok);
}

}  // namespace iz
