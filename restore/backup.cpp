#include "restore/backup.h"

#include <algorithm>

#include "model/os_kind.h"
#include "model/title.h"
#include "snapshot/snapshot.h"
#include "store/error.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

// Each with its leading backslash, to be appended to a folder; handled in
// this order.
constexpr const char* kSavedFiles[] = {"\\System.dat", "\\User.dat", "\\System.ini",
                                       map::kWinIniName};
constexpr const char* kRegistryFile = "\\Registry.reg";

constexpr const char* kSavedText = "Your current settings have been saved.";
constexpr const char* kRestoredText = "Your original settings have been restored.";
constexpr const char* kNothingSaved = "No saved settings were found in %s.";

std::string CopyFailure(const std::string& from, const std::string& to) {
  return "Unable to copy " + from + " to " + to;
}

void RaiseIfAny(const std::vector<std::string>& failures) {
  if (failures.empty()) return;
  std::string text = failures.front();
  for (std::size_t i = 1; i < failures.size(); ++i) text += "\n" + failures[i];
  throw Error(text);
}

void RefuseLink(Platform& platform, const std::string& path) {
  const std::string failure = LinkFailure(platform, path);
  if (!failure.empty()) throw Error(failure);
}

// The folder is taken only as what it is: no link, and no account but the
// administrators' may change what is in it.
void RefuseUnsafeFolder(Platform& platform, const std::string& folder) {
  RefuseLink(platform, folder);
  const std::string failure = FolderSafetyFailure(platform, folder);
  if (!failure.empty()) throw Error(failure);
}

}  // namespace

void SaveSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform) {
  // Every value is read before anything is written: a value that cannot be
  // read stops the backup with the previous one whole.
  const std::string text = WriteRegFile(CaptureSettings(registry, platform));
  const std::string folder = BackupFolder(platform);
  if (!platform.DirectoryExists(folder)) platform.CreateAdminsOnlyFolder(folder);
  RefuseUnsafeFolder(platform, folder);
  const std::string windows = WindowsDirectory(profiles);
  // The copy must hold what the profile functions may still have cached.
  profiles.Flush(WinIniPath(profiles));

  std::vector<std::string> failures;
  for (const char* name : kSavedFiles) {
    const std::string saved = folder + name;
    const std::string live = windows + name;
    // The NT family has no System.dat or User.dat: a missing file is fine.
    if (!platform.FileExists(live)) continue;
    if (std::string link = LinkFailure(platform, saved); !link.empty()) {
      failures.push_back(link);
      continue;
    }
    // A previous copy of a read-only system file could not be replaced.
    if (platform.FileExists(saved)) platform.SetFileAttributes(saved, kFileAttributeNormal);
    if (!platform.CopyFileAtomically(live, saved)) failures.push_back(CopyFailure(live, saved));
  }

  const std::string regPath = folder + kRegistryFile;
  if (std::string link = LinkFailure(platform, regPath); !link.empty()) {
    failures.push_back(link);
  } else {
    if (platform.FileExists(regPath)) platform.SetFileAttributes(regPath, kFileAttributeNormal);
    if (!platform.WriteFileAtomically(regPath, text)) {
      failures.push_back(UnableToWriteText(platform, regPath));
    }
  }

  RaiseIfAny(failures);
  platform.MessageBox(kSavedText, kAppTitle, MsgIcon::None, MsgButtons::Ok);
}

void RestoreSavedSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                          const BeforeRestoring& beforeWriting) {
  const std::string folder = BackupFolder(platform);
  const std::string windows = WindowsDirectory(profiles);
  const std::string regPath = folder + kRegistryFile;
  RefuseLink(platform, folder);
  if (platform.DirectoryExists(folder)) RefuseUnsafeFolder(platform, folder);

  const bool haveValues = platform.FileExists(regPath);
  const bool haveFiles =
      std::any_of(std::begin(kSavedFiles), std::end(kSavedFiles),
                  [&](const char* name) { return platform.FileExists(folder + name); });
  if (!haveValues && !haveFiles) {
    platform.MessageBox(FormatMessage(kNothingSaved, folder), kAppTitle,
                        MsgIcon::Information, MsgButtons::Ok);
    return;
  }

  std::vector<RegValueRecord> values;
  if (haveValues) values = ReadSavedValuesFile(platform, regPath);

  beforeWriting(values);
  // A cached profile write must not land on top of the copy afterwards.
  profiles.Flush(WinIniPath(profiles));
  // Every file and every value is tried; what failed is named at the end.
  std::vector<std::string> failures;
  for (const char* name : kSavedFiles) {
    const std::string saved = folder + name;
    const std::string live = windows + name;
    if (!platform.FileExists(saved)) continue;
    if (std::string link = LinkFailure(platform, saved); !link.empty()) {
      failures.push_back(link);
      continue;
    }
    // The live copy may be read-only (the registry files usually are).
    platform.SetFileAttributes(live, kFileAttributeNormal);
    if (!platform.CopyFileAtomically(saved, live)) failures.push_back(CopyFailure(saved, live));
  }

  for (std::string& failure : PutBackValues(registry, values))
    failures.push_back(std::move(failure));

  RaiseIfAny(failures);
  platform.MessageBox(kRestoredText, kAppTitle, MsgIcon::None, MsgButtons::Ok);
}

}  // namespace iz
