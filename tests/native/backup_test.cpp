// Saving the settings into the Backup folder and putting them back: the file
// copies and their attributes, Registry.reg, what is reported when something
// fails or nothing was saved, and the round trip of every mapped value.
#include "restore/backup.h"

#include <set>
#include <string>
#include <vector>

#include "native/current_fixture.h"
#include "snapshot/reg_file.h"

namespace iz::test {
namespace {

using namespace map;

const std::string kFolder = "C:\\Program Files\\Internet Zelvora\\Backup";
const std::string kRegFile = kFolder + "\\Registry.reg";
const std::string kSaved = "Your current settings have been saved.";
const std::string kRestored = "Your original settings have been restored.";

std::string Win(const char* name) { return std::string(kWindowsDir) + "\\" + name; }
std::string Bak(const char* name) { return kFolder + "\\" + name; }
std::string Copy(const std::string& from, const std::string& to) {
  return "CopyFileAtomically " + from + " -> " + to;
}
std::string Normal(const std::string& path) { return "SetFileAttributes " + path + " 128"; }
std::string Box(const std::string& text) { return "MessageBox Internet Zelvora 2.19: " + text; }
std::string Last(const FakePlatform& platform) {
  return platform.messages.empty() ? "" : platform.messages.back().text;
}

class BackupTest : public WindowTest {
 protected:
  void SetUp() override {
    platform.files[Win("System.ini")] = "system.ini";
    platform.files[Win("Win.ini")] = "win.ini";
  }
};

// The NT family has no registry files: the two profile files and the values.
TEST_F(BackupTest, FirstSaveCopiesTheFilesThatExistAndTheValues) {
  registry.SetDword(kHKLM, kTcpipParametersKey, kDefaultTTL, 64);
  w.Dispatch([&] { w.OnBackup(); });
  EXPECT_EQ(platform.calls,
            (std::vector<std::string>{
                "CreateAdminsOnlyFolder " + kFolder, Copy(Win("System.ini"), Bak("System.ini")),
                Copy(Win("Win.ini"), Bak("Win.ini")), "WriteFile " + kRegFile, Box(kSaved)}));
  EXPECT_EQ(platform.messages.back().icon, MsgIcon::None);
  // One record per mapped value, each as the registry holds it.
  const RegFileParse saved = ReadRegFile(platform.files[kRegFile]);
  ASSERT_EQ(saved.records.size(), kParameterCount);
  for (const RegValueRecord& r : saved.records) {
    const auto held = registry.Get(r.root, r.keyPath, r.name);
    EXPECT_EQ(held, r.present ? std::optional(MemoryRegistry::Value{r.type, r.data}) : std::nullopt)
        << r.name;
  }
}

// Copies of the registry files are read-only like their originals: a second
// save clears that before overwriting.
TEST_F(BackupTest, SecondSaveOverwritesReadOnlyCopies) {
  platform.files[Win("User.dat")] = "user.dat";
  platform.directories.insert(kFolder);
  platform.files[Bak("User.dat")] = platform.files[kRegFile] = "old";
  platform.readOnly = {Bak("User.dat"), kRegFile};
  w.Dispatch([&] { w.OnBackup(); });
  EXPECT_EQ(platform.calls,
            (std::vector<std::string>{
                Normal(Bak("User.dat")), Copy(Win("User.dat"), Bak("User.dat")),
                Copy(Win("System.ini"), Bak("System.ini")), Copy(Win("Win.ini"), Bak("Win.ini")),
                Normal(kRegFile), "WriteFile " + kRegFile, Box(kSaved)}));
  EXPECT_EQ(platform.files[Bak("User.dat")], "user.dat");
}

// A write that failed says why: the folder that is missing, a folder where
// the file would be, else the system's own text, or that it gave none.
TEST(BackupSave, AFailedWriteSaysWhy) {
  const struct {
    std::set<std::string> directories;
    const char* lastError;
    std::string path, text;
  } rows[] = {
      {{}, "Access is denied", "C:\\deploy\\tcp.cmd",
       "Unable to write to C:\\deploy\\tcp.cmd: the folder C:\\deploy does not exist"},
      {{"C:\\deploy"}, "Access is denied", "C:\\deploy\\tcp.cmd",
       "Unable to write to C:\\deploy\\tcp.cmd: Access is denied"},
      {{"C:\\deploy", "C:\\deploy\\tcp.cmd"}, "Access is denied", "C:\\deploy\\tcp.cmd",
       "Unable to write to C:\\deploy\\tcp.cmd: it is a folder"},
      {{"C:\\deploy"}, "", "C:\\deploy\\tcp.cmd",
       "Unable to write to C:\\deploy\\tcp.cmd: Windows gave no reason"},
      {{}, "There is not enough space on the disk", "tcp.cmd",
       "Unable to write to tcp.cmd: There is not enough space on the disk"},
  };
  for (const auto& row : rows) {
    FakePlatform platform;
    platform.directories = row.directories;
    platform.lastError = row.lastError;
    EXPECT_EQ(UnableToWriteText(platform, row.path), row.text);
  }
}

// Whatever existed and could not be saved is named instead of the success
// text; the rest is still saved.
TEST(BackupSave, NamesWhatCouldNotBeSaved) {
  const std::pair<std::set<std::string>, std::string> rows[] = {
      {{Bak("Win.ini")}, "Unable to copy " + Win("Win.ini") + " to " + Bak("Win.ini") + "."},
      {{Bak("System.ini"), kRegFile},
       "Unable to copy " + Win("System.ini") + " to " + Bak("System.ini") +
           "\nUnable to write to " + kRegFile + ": Access is denied."},
  };
  for (const auto& [failing, error] : rows) {
    Rig rig;
    rig.platform.files[Win("System.ini")] = rig.platform.files[Win("Win.ini")] = "ini";
    rig.platform.failCopyTo = failing;
    rig.w.Dispatch([&] { rig.w.OnBackup(); });
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, error);
    EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(rig.platform.files.count(kRegFile), failing.count(kRegFile) ? 0u : 1u);
  }
}

TEST_F(BackupTest, RestoreWithNothingSavedSaysSoAndChangesNothing) {
  registry.SetDword(kHKLM, kTcpipParametersKey, kDefaultTTL, 64);
  platform.directories.insert(kFolder);
  const auto before = State();
  w.Dispatch([&] { w.OnRestorePrevious(); });
  EXPECT_EQ(platform.calls,
            (std::vector<std::string>{"MessageBox Internet Zelvora 2.19: No saved settings were found in " +
                                      kFolder + "."}));
  EXPECT_EQ(platform.messages.back().icon, MsgIcon::Information);
  EXPECT_EQ(State(), before);
}

TEST_F(BackupTest, RestoreClearsReadOnlyLiveFilesAndCopiesWhatWasSaved) {
  platform.readOnly = {Win("Win.ini")};
  platform.files[Bak("Win.ini")] = "saved win.ini";
  platform.files[Bak("User.dat")] = "saved user.dat";
  w.Dispatch([&] { w.OnRestorePrevious(); });
  EXPECT_EQ(platform.calls,
            (std::vector<std::string>{
                Normal(Win("User.dat")), Copy(Bak("User.dat"), Win("User.dat")),
                Normal(Win("Win.ini")), Copy(Bak("Win.ini"), Win("Win.ini")), Box(kRestored)}));
  EXPECT_EQ(platform.files[Win("Win.ini")], "saved win.ini");
}

// Every file and value is tried after a failure, and all failures are named
// in one error: a value that cannot be written, one whose removal is denied.
TEST_F(BackupTest, RestoreTriesEverythingAndNamesWhatCouldNotBePutBack) {
  platform.files[Bak("System.ini")] = platform.files[Bak("Win.ini")] = "saved";
  platform.failCopyTo = {Win("System.ini")};
  registry.SetDword(kHKLM, kNetbtParametersKey, kSessionKeepAlive, 1);
  platform.files[kRegFile] = WriteRegFile({
      {kHKLM, kTcpipParametersKey, kDefaultTTL, true, kRegDword, DwordBytes(64)},
      {kHKLM, kNetbtParametersKey, kSessionKeepAlive, false, 0, {}},
      {kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPerServer, true, kRegDword, DwordBytes(8)},
  });
  registry.SetKeyRights(kHKLM, kTcpipParametersKey, kKeyRead);
  registry.SetKeyRights(kHKLM, kNetbtParametersKey, kKeyRead);
  w.Dispatch([&] { w.OnRestorePrevious(); });
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(Last(platform), "Unable to copy " + Bak("System.ini") + " to " + Win("System.ini") +
                                "\nFailed to set data for 'HKLM\\" + kTcpipParametersKey +
                                "\\DefaultTTL'\nFailed to remove 'HKLM\\" + kNetbtParametersKey +
                                "\\SessionKeepAlive'");
  EXPECT_EQ(platform.files[Win("Win.ini")], "saved");
  EXPECT_TRUE(registry.Get(kHKLM, kNetbtParametersKey, kSessionKeepAlive).has_value());
  EXPECT_EQ(registry.Get(kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPerServer),
            (MemoryRegistry::Value{kRegDword, DwordBytes(8)}));
}

// A value that cannot be read stops Backup before anything is written: the
// previous backup stays whole, and the value is never saved as absent.
TEST_F(BackupTest, AnUnreadableValueStopsBackupAndKeepsThePreviousOne) {
  platform.directories.insert(kFolder);
  platform.files[kRegFile] = platform.files[Bak("Win.ini")] = "previous";
  registry.SetDword(kHKLM, kTcpipParametersKey, kDefaultTTL, 64);
  registry.FailKey(kHKLM, kTcpipParametersKey);
  const auto files = platform.files;
  w.Dispatch([&] { w.OnBackup(); });
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(Last(platform).rfind("Failed to get data for 'HKLM\\", 0), 0u) << Last(platform);
  EXPECT_EQ(platform.files, files);
}

// Nor is a file saved that Restore would refuse: a value over 64 KiB.
TEST_F(BackupTest, AValueRestoreWouldRefuseStopsBackup) {
  platform.directories.insert(kFolder);
  platform.files[kRegFile] = "previous";
  const auto files = platform.files;
  registry.SetRaw(kHKLM, kTcpipParametersKey, kDefaultTTL, kRegBinary,
                  std::vector<std::uint8_t>(65537, 1));
  w.Dispatch([&] { w.OnBackup(); });
  EXPECT_EQ(Last(platform), std::string("HKLM\\") + kTcpipParametersKey +
                                "\\DefaultTTL is longer than 64 KiB, more than Undo and "
                                "Restore can read back.");
  EXPECT_EQ(platform.files, files);
}

// The Backup folder may be writable by other users: a junction or link as the
// folder, or as a file the command would read or write, is refused, and so
// is a folder that others own or may write in, except on the 9x family,
// which has no such security to check.
TEST(BackupFolder, LinksAndFoldersOpenToOthersAreRefusedAndNotFollowed) {
  const std::string isLink =
      " is a junction or symbolic link. The backup does not follow links, "
      "which could lead to files elsewhere; remove it and try again.";
  const std::string open =
      " may be changed by accounts other than the administrators, so what it holds cannot be "
      "trusted. Move Internet Zelvora to a folder under Program Files, or delete this folder, "
      "and try again.";
  enum How { Link, Open, OpenOn9x };
  struct Row {
    std::string path;
    How how;
  } rows[] = {{kFolder, Link}, {kRegFile, Link}, {Bak("Win.ini"), Link},
              {kFolder, Open}, {kFolder, OpenOn9x}};
  for (const Row& row : rows) {
    for (const bool saving : {true, false}) {
      SCOPED_TRACE(row.path + " " + std::to_string(row.how) + (saving ? " saving" : " restoring"));
      Rig rig;
      rig.platform.directories.insert(kFolder);
      rig.platform.files[Win("Win.ini")] = "live";
      rig.platform.files[Bak("Win.ini")] = "saved";
      rig.platform.files[kRegFile] = WriteRegFile({});
      if (row.how == Link) rig.platform.links = {row.path};
      if (row.how != Link) rig.platform.foldersOpenToOthers = {row.path};
      rig.platform.securityChecked = row.how != OpenOn9x;
      const auto files = rig.platform.files;
      rig.w.Dispatch([&] { saving ? rig.w.OnBackup() : rig.w.OnRestorePrevious(); });
      ASSERT_EQ(rig.platform.messages.size(), 1u);
      if (row.how == OpenOn9x) {
        EXPECT_EQ(Last(rig.platform), saving ? kSaved : kRestored);
        continue;
      }
      EXPECT_EQ(Last(rig.platform), row.path + (row.how == Link ? isLink : open));
      // Nothing goes through the link, nor into the open folder: no call
      // but the error names it.
      if (files.count(row.path)) {
        EXPECT_EQ(rig.platform.files.at(row.path), files.at(row.path));
      }
      for (std::size_t i = 0; i + 1 < rig.platform.calls.size(); ++i)
        EXPECT_EQ(rig.platform.calls[i].find(row.path), std::string::npos)
            << rig.platform.calls[i];
    }
  }
}

// A Registry.reg that is not fully understood stops the restore before any
// file or value changes.
TEST(BackupRestore, RefusesABadRegistryFileBeforeChangingAnything) {
  const std::string head =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters]"
      "\r\n\"DefaultTTL\"=dword:00000040\r\n";
  const std::pair<std::string, std::string> rows[] = {
      {head + "\"SackOpts\"=dword:0001\r\n",
       "Line 5 of " + kRegFile + " (\"SackOpts\"=dword:0001) is not valid: bad dword data."},
      {head + "\"SackOpts\"=dword:000",
       "Line 5 of " + kRegFile + " (\"SackOpts\"=dword:000) is not valid: line cut off."},
      {head + "\"NotOurs\"=dword:00000001\r\n",
       "Line 5 of " + kRegFile +
           " (\"NotOurs\"=dword:00000001) is not valid: not a setting that the backup saves."},
      {head + std::string(1 << 20, ';'),
       kRegFile + " is larger than 1 MiB, far more than a backup writes; it was not read."},
  };
  for (const auto& [text, error] : rows) {
    Rig rig;
    rig.platform.files[Win("Win.ini")] = "live";
    rig.platform.files[Bak("Win.ini")] = "saved";
    rig.platform.files[kRegFile] = text;
    rig.registry.SetDword(kHKLM, kTcpipParametersKey, kDefaultTTL, 128);
    const auto before = rig.State();
    rig.w.Dispatch([&] { rig.w.OnRestorePrevious(); });
    EXPECT_EQ(Last(rig.platform), error);
    EXPECT_EQ(rig.platform.files[Win("Win.ini")], "live");
    EXPECT_EQ(rig.State(), before);
  }
}

// Optimize, save, change by another Optimize and by the defaults, put back:
// every mapped value is again what was saved, the absent ones absent.
TEST(BackupRoundTrip, AfterOptimizeOnEachFamily) {
  for (const VersionInfo& version : {WinXP(), Win98SE()}) {
    Rig rig;
    SeedStockNT(rig.registry);
    SeedStock9x(rig.registry);
    rig.platform.version = version;
    auto optimize = [&rig] {
      if (rig.platform.version.platformId == kVerPlatformWin32NT) {
        rig.w.ApplySettings(GetOSKind(rig.platform));
      } else {
        rig.w.ApplySettings(GetOSKind(rig.platform));
      }
    };
    rig.w.Click(rig.w.cableDsl);
    rig.w.SetChecked(rig.w.maxConnect, true);
    optimize();
    rig.registry.SetRaw(kHKLM, kComBuffKey, kStart, kRegBinary, {1, 2});  // a hand-made oddity
    const auto saved = rig.State();

    rig.w.Dispatch([&] { rig.w.OnBackup(); });
    ASSERT_EQ(Last(rig.platform), kSaved);
    rig.w.Click(rig.w.modem);
    rig.w.SetChecked(rig.w.maxConnect, false);
    rig.w.SetChecked(rig.w.maxSocket, true);
    optimize();
    rig.w.OnRestoreDefaults();
    ASSERT_NE(rig.State(), saved);

    rig.w.Dispatch([&] { rig.w.OnRestorePrevious(); });
    EXPECT_EQ(Last(rig.platform), kRestored);
    EXPECT_EQ(rig.State(), saved);
    EXPECT_EQ(rig.registry.OpenHandles(), 0);
  }
}

}  // namespace
}  // namespace iz::test
