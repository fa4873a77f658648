// Current settings, Windows defaults and the backup in the real program under
// Wine: View shows what was seeded in either encoding; Restore Windows
// Defaults on a never-optimized XP runs to its prompt and View then shows the
// defaults; Backup, Optimize, Restore previous settings brings back exactly
// the saved values and Win.ini, with the Backup folder beside the program
// whatever the working directory.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "e2e/ui_driver.h"

namespace e2e {
namespace {

constexpr char kTcpip[] = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kInterface[] =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\interface";
constexpr char kNetbt[] = "System\\CurrentControlSet\\Services\\Netbt\\Parameters";
constexpr char kMstcp[] = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr char kTrans0000[] = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
constexpr char kNet0000[] = "System\\CurrentControlSet\\Services\\Class\\Net\\0000";
constexpr char kVCache[] = "System\\CurrentControlSet\\Services\\VxD\\VCACHE";
constexpr char kComBuff[] = "System\\CurrentControlSet\\Services\\VxD\\COMBUFF";
constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "COM5:"};

constexpr char kTtlGroup[] = "Time To Live (TTL) ";
constexpr char kMtuGroup[] = "Maximum Transmission Unit ";
constexpr char kSkaGroup[] = "Session Keep Alive (SKA) ";

struct Location {
  HKEY root;
  std::string key;
  std::string name;
};

std::string WinIni() {
  char dir[MAX_PATH] = {};
  GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\win.ini";
}

std::vector<std::string> Ports() {
  std::vector<std::string> values;
  for (const char* port : kPorts) {
    char value[256] = {};
    GetPrivateProfileStringA("Ports", port, "absent", value, sizeof value, WinIni().c_str());
    values.push_back(value);
  }
  return values;
}

// One line per value, for whole-list comparisons: "dword 128", "byte 1",
// "absent", or the type and bytes.
std::string Describe(const Location& l, const RegValue& v) {
  std::string line = l.key + " [" + l.name + "] ";
  if (!v.exists) return line + "absent";
  if (v.type == REG_DWORD && v.data.size() == 4)
    return line + "dword " + std::to_string(v.AsDword());
  if (v.type == REG_BINARY && v.data.size() == 1) return line + "byte " + std::to_string(v.data[0]);
  line += "type " + std::to_string(v.type);
  for (std::uint8_t b : v.data) line += " " + std::to_string(b);
  return line;
}
std::vector<std::string> Describe(const std::vector<Location>& where) {
  std::vector<std::string> lines;
  for (const Location& l : where) lines.push_back(Describe(l, RegRead(l.root, l.key, l.name)));
  return lines;
}

// Puts the values and Win.ini's ports back as they were, so that the suites
// after this one start from the same prefix.
class Preserved {
 public:
  explicit Preserved(std::vector<Location> where) : where_(std::move(where)) {
    for (const Location& l : where_) values_.push_back(RegRead(l.root, l.key, l.name));
    ports_ = Ports();
  }
  ~Preserved() {
    for (std::size_t i = 0; i < where_.size(); ++i) {
      const Location& l = where_[i];
      if (!values_[i].exists) {
        RegRemoveValue(l.root, l.key, l.name);
        continue;
      }
      HKEY key = nullptr;
      if (RegCreateKeyExA(l.root, l.key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, l.name.c_str(), 0, values_[i].type, values_[i].data.data(),
                       static_cast<DWORD>(values_[i].data.size()));
        RegCloseKey(key);
      }
    }
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      WritePrivateProfileStringA("Ports", kPorts[i],
                                 ports_[i] == "absent" ? nullptr : ports_[i].c_str(),
                                 WinIni().c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, WinIni().c_str());
  }
  Preserved(const Preserved&) = delete;
  Preserved& operator=(const Preserved&) = delete;

 private:
  std::vector<Location> where_;
  std::vector<RegValue> values_;
  std::vector<std::string> ports_;
};

void Seed(const Location& l, DWORD value) { RegSetDword(l.root, l.key, l.name, value); }
void Seed(const Location& l, const std::string& text) { RegSetString(l.root, l.key, l.name, text); }

// The answer to the one dialog the last action opened; its text.
std::string AnswerDialog(Program& program, const char* caption, int button) {
  std::optional<Dialog> dialog = program.WaitDialog();
  if (!dialog) return "(no dialog)";
  EXPECT_EQ(dialog->caption, caption);
  const std::string text = dialog->text;
  program.Answer(*dialog, button);
  return text;
}

HWND Box(const Program& program, const char* caption) { return program.Find("Button", caption); }

// An edit field's text. GetWindowText does not ask a window of another
// process for its text, so this sends WM_GETTEXT, which the system carries
// across.
std::string FieldText(HWND edit) {
  char text[256] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &ignored);
  return text;
}

// ---------------------------------------------------------------- View

TEST(CurrentE2E, ViewShowsValuesOfEitherEncodingOnXP) {
  const Location ttl{HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL"};
  const Location discovery{HKEY_LOCAL_MACHINE, kTcpip, "EnablePMTUDiscovery"};
  const Location keepAlive{HKEY_LOCAL_MACHINE, kNetbt, "SessionKeepAlive"};
  const Location mtu{HKEY_LOCAL_MACHINE, kInterface, "MTU"};
  const Location slowNet{HKEY_LOCAL_MACHINE, kNet0000, "SLOWNET"};
  Preserved preserved({ttl, discovery, keepAlive, mtu, slowNet});
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);

  Seed(ttl, std::string("64"));
  Seed(discovery, 1);
  Seed(keepAlive, 2500);  // milliseconds: half a second rounds to the even 2
  Seed(mtu, std::string("-1"));
  RegSetBinary(HKEY_LOCAL_MACHINE, kNet0000, "SLOWNET", {0x00});
  program.ToolButton(IDM_VIEW_CURRENT_SETTINGS);

  EXPECT_EQ(FieldText(program.Edit(kTtlGroup)), "64");
  EXPECT_TRUE(Program::Checked(program.InGroup(kTtlGroup, "Button", " 64")));
  EXPECT_EQ(FieldText(program.Edit(kSkaGroup)), "2");
  EXPECT_EQ(FieldText(program.Edit(kMtuGroup)), "4294967295");
  EXPECT_TRUE(Program::Checked(Box(program, " Auto Discovery")));
  EXPECT_TRUE(Program::Checked(Box(program, " SlowNet Option Enabled ")));
  EXPECT_FALSE(program.WaitDialog(300).has_value());
}

TEST(CurrentE2E, ViewShowsValuesOfEitherEncodingOn98AndLocksTheFields) {
  const Location ttl{HKEY_LOCAL_MACHINE, kMstcp, "DefaultTTL"};
  const Location discovery{HKEY_LOCAL_MACHINE, kMstcp, "PMTUDiscovery"};
  const Location keepAlive{HKEY_LOCAL_MACHINE, kMstcp, "SessionKeepAlive"};
  const Location mtu{HKEY_LOCAL_MACHINE, kTrans0000, "MaxMTU"};
  Preserved preserved({ttl, discovery, keepAlive, mtu});
  Program program(StartOptions::OnWindows("win98"));
  ASSERT_NE(program.Main(), nullptr);

  Seed(ttl, 32);
  Seed(discovery, std::string("1"));
  Seed(keepAlive, std::string("600"));  // seconds on this family, shown as stored
  Seed(mtu, std::string("1500"));
  program.Key(VK_F3);

  EXPECT_EQ(FieldText(program.Edit(kTtlGroup)), "32");
  EXPECT_TRUE(Program::Checked(program.InGroup(kTtlGroup, "Button", " 32")));
  EXPECT_EQ(FieldText(program.Edit(kSkaGroup)), "600");
  EXPECT_EQ(FieldText(program.Edit(kMtuGroup)), "1500");
  EXPECT_TRUE(Program::Checked(Box(program, " Auto Discovery")));
  EXPECT_FALSE(Program::Enabled(program.Edit(kTtlGroup)));
  EXPECT_FALSE(Program::Enabled(program.Combo()));
}

// ---------------------------------------------------------------- defaults

// A never-optimized XP has no interface key; the restore still runs to its
// prompt, and View then shows the defaults.
TEST(CurrentE2E, RestoreDefaultsOnACleanXPRunsToThePrompt) {
  const HKEY lm = HKEY_LOCAL_MACHINE, cu = HKEY_CURRENT_USER;
  const std::vector<std::pair<Location, const char*>> after = {
      {{lm, kTcpip, "DefaultTTL"}, "dword 128"},
      {{lm, kTcpip, "EnablePMTUDiscovery"}, "dword 1"},
      {{lm, kTcpip, "EnablePMTUBHDetect"}, "dword 0"},
      {{lm, kTcpip, "Tcp1323Opts"}, "absent"},
      {{lm, kTcpip, "GlobalMaxTcpWindowSize"}, "absent"},
      {{lm, kTcpip, "SackOpts"}, "dword 1"},
      {{lm, kTcpip, "TcpWindowSize"}, "absent"},  // Windows sizes the window itself
      {{lm, kInterface, "TcpWindowSize"}, "absent"},
      {{lm, kInterface, "MTU"}, "absent"},
      {{lm, kNetbt, "SessionKeepAlive"}, "dword 3600000"},
      {{lm, kTcpip, "TcpUseRFC1122UrgentPointer"}, "dword 0"},
      {{lm, kTcpip, "TcpMaxDupAcks"}, "dword 2"},
      {{lm, kNet0000, "SLOWNET"}, "byte 1"},
      {{lm, kVCache, "Start"}, "byte 1"},
      {{lm, kComBuff, "Start"}, "byte 1"},
      {{cu, kInternetSettings, "MaxConnectionsPerServer"}, "absent"},
      {{cu, kInternetSettings, "MaxConnectionsPer1_0Server"}, "absent"},
  };
  std::vector<Location> touched;
  std::vector<std::string> expected;
  for (const auto& [where, value] : after) {
    touched.push_back(where);
    expected.push_back(where.key + " [" + where.name + "] " + value);
  }
  Preserved preserved(touched);
  RegRemoveKey(HKEY_LOCAL_MACHINE, kInterface);
  Seed(touched[3], 1);  // Tcp1323Opts, to be removed

  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  program.ToolButton(IDM_RESTORE_WINDOWS_DEFAULTS);
  EXPECT_EQ(AnswerDialog(program, "Confirm", IDNO),
            "Windows Default settings have been restored. Before using the new settings you "
            "must restart your computer. Do you wish to reboot now? ");
  EXPECT_EQ(Describe(touched), expected);

  program.Key(VK_F3);
  EXPECT_EQ(FieldText(program.Edit(kTtlGroup)), "128");
  EXPECT_EQ(FieldText(program.Edit(kSkaGroup)), "3600");
  EXPECT_TRUE(Program::Checked(Box(program, " Optimize VCache Value")));
  EXPECT_FALSE(Program::Checked(Box(program, " Large Window Scaling")));
}

// ---------------------------------------------------------------- backup

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The locations that Registry.reg names, read by the test itself.
std::vector<Location> SavedLocations(const std::string& file) {
  std::vector<Location> where;
  std::ifstream in(file, std::ios::binary);
  HKEY root = nullptr;
  std::string key, line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (const auto& [prefix, r] : {std::pair{"[HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE},
                                    std::pair{"[HKEY_CURRENT_USER\\", HKEY_CURRENT_USER}}) {
      const std::string p = prefix;
      if (line.compare(0, p.size(), p) == 0) {
        root = r;
        key = line.substr(p.size(), line.size() - p.size() - 1);
      }
    }
    if (line.compare(0, 2, "@=") == 0) where.push_back({root, key, ""});
    if (!line.empty() && line[0] == '"')
      where.push_back({root, key, line.substr(1, line.find('"', 1) - 1)});
  }
  return where;
}

// On a Windows of each family as Wine reports it. Wine's win98 keeps a
// working MoveFileExA: the 9x family's replacement by renames is tested on
// the Win32 platform itself (tests/wine/win32_platform_test.cpp).
class BackupE2E : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { RemoveBackupFolder(); }
  void TearDown() override { RemoveBackupFolder(); }
};

// Started from the Windows directory, the program still saves beside itself.
TEST_P(BackupE2E, BackupOptimizeRestoreBringsBackTheSavedState) {
  RegSetDword(HKEY_CURRENT_USER, kInternetSettings, "IZ e2e", 1);  // the key must exist
  RegRemoveValue(HKEY_CURRENT_USER, kInternetSettings, "IZ e2e");
  StartOptions options = StartOptions::OnWindows(GetParam());
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  options.workingDirectory = windows;
  Program program(options);
  ASSERT_NE(program.Main(), nullptr);

  program.Key(VK_F6);
  EXPECT_EQ(AnswerDialog(program, "Internet Zelvora 2.19", IDOK),
            "No saved settings were found in " + BackupFolder() + ".");

  program.Key(VK_F5);
  ASSERT_EQ(AnswerDialog(program, "Internet Zelvora 2.19", IDOK),
            "Your current settings have been saved.");
  const std::string regFile = BackupFolder() + "\\Registry.reg";
  ASSERT_TRUE(FileExists(regFile));
  EXPECT_TRUE(FileExists(BackupFolder() + "\\Win.ini"));
  EXPECT_FALSE(FileExists(std::string(windows) + "\\Backup\\Registry.reg"));
  EXPECT_FALSE(FileExists(regFile + ".old.tmp"));
  const std::vector<Location> saved = SavedLocations(regFile);
  ASSERT_GT(saved.size(), 40u);
  Preserved preserved(saved);
  const std::vector<std::string> before = Describe(saved);
  const std::vector<std::string> ports = Ports();

  program.Click(program.Find("Button", "CABLE / DSL"));
  program.ToolButton(IDM_OPTIMIZE_CONNECTION);
  AnswerDialog(program, "Confirm", IDNO);
  ASSERT_NE(Describe(saved), before);

  program.Command(IDM_RESTORE_PREVIOUS);
  EXPECT_EQ(AnswerDialog(program, "Internet Zelvora 2.19", IDOK),
            "Your original settings have been restored.");
  EXPECT_EQ(Describe(saved), before);
  EXPECT_EQ(Ports(), ports);
}

INSTANTIATE_TEST_SUITE_P(Windows, BackupE2E, ::testing::Values("winxp", "win98"));

// ---------------------------------------------------------------- hostile folders

std::wstring Wide(const std::string& ansi) {
  std::wstring out(MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &out[0], static_cast<int>(out.size()));
  out.pop_back();
  return out;
}

bool FileExistsW(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program and its help file copied into a folder whose name the ANSI
// code page cannot show (Cyrillic on a Western one): backup, restore and help
// all work from there, and the backup lands beside that copy.
TEST(HostileFolders, ProgramInAFolderOutsideTheAnsiCodePage) {
  std::wstring folder = Wide(ProgramPath());
  folder.erase(folder.find_last_of(L'\\') + 1);
  folder += L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0430";  // "Программа"
  const std::wstring backup = folder + L"\\Backup";
  const wchar_t* const kFiles[] = {L"\\InternetZelvora.exe", L"\\Internet Zelvora.chm"};
  const std::wstring history = backup + L"\\History";
  // The journal's records in the folder, by name.
  const auto records = [&] {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((history + L"\\*.reg").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
  };
  const auto removeAll = [&] {
    for (const wchar_t* name : {L"\\Registry.reg", L"\\Win.ini", L"\\System.ini"}) {
      SetFileAttributesW((backup + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((backup + name).c_str());
    }
    for (const std::wstring& name : records()) {
      DeleteFileW((history + L"\\" + name).c_str());
      DeleteFileW((history + L"\\" + name.substr(0, name.size() - 4) + L".ini").c_str());
    }
    RemoveDirectoryW(history.c_str());
    RemoveDirectoryW(backup.c_str());
    for (const wchar_t* name : kFiles) DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());
  };
  removeAll();
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  std::wstring source = Wide(ProgramPath());
  source.erase(source.find_last_of(L'\\'));
  for (const wchar_t* name : kFiles)
    ASSERT_TRUE(CopyFileW((source + name).c_str(), (folder + name).c_str(), FALSE));

  {
    StartOptions options = StartOptions::OnWindows("winxp");
    options.program = folder + kFiles[0];
    Program program(options);
    ASSERT_NE(program.Main(), nullptr);
    program.Key(VK_F5);
    EXPECT_EQ(AnswerDialog(program, "Internet Zelvora 2.19", IDOK),
              "Your current settings have been saved.");
    EXPECT_TRUE(FileExistsW(backup + L"\\Registry.reg"));
    program.Key(VK_F6);
    EXPECT_EQ(AnswerDialog(program, "Internet Zelvora 2.19", IDOK),
              "Your original settings have been restored.");
    // The journal recorded the state before it in the same folder.
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].substr(records()[0].size() - 30), L" Restore previous settings.reg");
    // Wine's help viewer takes its file name in the ANSI code page, so the
    // shell's "open" of a help file copies it somewhere plain instead: the
    // copy shows that the shell was handed the right file.
    const char* const kOpen = "chm.file\\shell\\open\\command";
    const RegValue viewer = RegRead(HKEY_CLASSES_ROOT, kOpen, "");
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string opened = std::string(temp) + "iz_help_opened.chm";
    DeleteFileA(opened.c_str());
    RegSetString(HKEY_CLASSES_ROOT, kOpen, "",
                 "C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"" + opened + "\"");
    program.Command(IDM_CONTENTS);
    for (int i = 0; i < 100 && !FileExists(opened); ++i) Sleep(100);
    RegSetString(HKEY_CLASSES_ROOT, kOpen, "", viewer.AsString());
    std::ifstream help(opened, std::ios::binary);
    char signature[4] = {};
    help.read(signature, 4);
    EXPECT_EQ(std::string(signature, 4), "ITSF") << "the help file was not opened";
    help.close();
    DeleteFileA(opened.c_str());
    EXPECT_FALSE(program.WaitDialog(300).has_value()) << "an error was shown";
  }
  removeAll();
}

// A Registry.reg too large to be a backup, or one of endless values the
// backup never saves (the first of them after a mapped one), is refused
// within a second, and nothing of it is written.
TEST(HostileFolders, OversizedOrForeignRegistryFileIsRefusedQuickly) {
  RemoveBackupFolder();
  const std::string folder = BackupFolder();
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::string(kTcpip) +
                           "]\r\n\"DefaultTTL\"=dword:00000021\r\n";
  // Names of up to four characters keep the file below 1 MiB.
  std::string foreign = head;
  for (int i = 0; i < 100000; ++i) {
    std::string name;
    for (int n = i; n || name.empty(); n /= 36)
      name += "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
    foreign += "\"" + name + "\"=-\n";
  }
  const std::pair<std::string, std::string> rows[] = {
      {head + std::string(2 << 20, ';') + "\r\n", " is larger than 1 MiB"},
      {foreign, "Line 5 of " + folder + "\\Registry.reg (\"0\"=-) is not valid"},
  };
  RegSetDword(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL", 64);
  const std::vector<std::string> ports = Ports();
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  for (const auto& [text, error] : rows) {
    SCOPED_TRACE(error);
    std::ofstream(folder + "\\Registry.reg", std::ios::binary) << text;
    std::ofstream(folder + "\\Win.ini", std::ios::binary) << "[Ports]\r\nCOM1:=1,n,8,1\r\n";
    const DWORD start = GetTickCount();
    program.Key(VK_F6);
    std::optional<Dialog> dialog = program.WaitDialog();
    const DWORD took = GetTickCount() - start;
    ASSERT_TRUE(dialog.has_value());
    EXPECT_NE(dialog->text.find(error), std::string::npos) << dialog->text;
    EXPECT_LT(took, 1000u);
    program.Answer(*dialog, IDOK);
    EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL").AsDword(), 64u);
    EXPECT_EQ(Ports(), ports);
  }
  RemoveBackupFolder();
}

// ---------------------------------------------------------------- largest MTU

// Wine's loopback carries every size the search tries; a name under .invalid
// never resolves.
TEST(FindMtuE2E, CommandLineFindsTheLoopbacksMtuAndFailsOnAnUnknownName) {
  const CommandRun found = RunCommandLine("/findmtu 127.0.0.1");
  EXPECT_EQ(found.exitCode, 0u);
  EXPECT_EQ(found.lines, (std::vector<std::string>{
                             "Trying 1472 bytes... passed",
                             "Largest packet that passes unsplit: 1472 bytes, so the MTU is 1500.",
                             "MTU 1500"}));
  const CommandRun unknown = RunCommandLine("/findmtu no-such-host.invalid");
  EXPECT_EQ(unknown.exitCode, 1u);
  EXPECT_EQ(unknown.lines, std::vector<std::string>{"Internet Zelvora: Cannot find the host "
                                                    "\"no-such-host.invalid\": the name gives "
                                                    "no address."});
}

// Escape ends a search at once; a new one then finds the loopback's 1500,
// which "Use as Custom MTU" puts into the panel with the window still open.
TEST(FindMtuE2E, TheWindowFindsTheMtuAndPutsItIntoThePanel) {
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  program.Click(program.InGroup(kMtuGroup, "Button", " 576 (Dial-UP)"));
  program.Command(IDM_FIND_MTU);
  HWND window = program.WaitTopLevel("Find Largest MTU");
  ASSERT_NE(window, nullptr);
  program.Type(Program::ChildOf(window, "Edit"), "198.51.100.1");  // a documentation address
  program.Click(Program::ChildOf(window, "Button", "&Start"));
  PostMessageA(Program::ChildOf(window, "Edit"), WM_KEYDOWN, VK_ESCAPE, 1);
  program.WaitIdle();
  EXPECT_FALSE(IsWindow(window)) << "Escape left the search's window open";

  program.Command(IDM_FIND_MTU);
  window = program.WaitTopLevel("Find Largest MTU");
  ASSERT_NE(window, nullptr);
  program.Type(Program::ChildOf(window, "Edit"), "127.0.0.1");
  program.Click(Program::ChildOf(window, "Button", "&Start"));
  const std::string result = "Largest packet that passes unsplit: 1472 bytes, so the MTU is 1500.";
  HWND shown = nullptr;
  for (int i = 0; i < 500 && !shown; ++i, Sleep(20)) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (Program::Text(child) == result) shown = child;
  }
  ASSERT_NE(shown, nullptr) << "no result within 10 seconds";
  program.Click(Program::ChildOf(window, "Button", "&Use as Custom MTU"));
  // As a click on " 1500 (LAN)" leaves it: that choice ticked, its field
  // locked.
  EXPECT_EQ(FieldText(program.Edit(kMtuGroup)), "1500");
  EXPECT_FALSE(Program::Enabled(program.Edit(kMtuGroup)));
  EXPECT_TRUE(Program::Checked(program.InGroup(kMtuGroup, "Button", " 1500 (LAN)")));
  EXPECT_TRUE(IsWindowVisible(window));
  program.Click(Program::ChildOf(window, "Button", "Close"));
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace e2e
