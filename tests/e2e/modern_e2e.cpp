// `/tcp` against the stand-in netsh (tests/e2e/netsh_standin), put in the
// prefix's system folders for the test: the program must find it by its full
// path (a 32-bit program reaches the 64-bit folder through Sysnative), read
// its German-labelled answers, set values all or none, and leave everything
// as it was when one is refused. The window does the same through its list,
// at each DPI inside the work area, and Undo Last Change puts it back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/ui_driver.h"
#include "shared/netsh_standin.h"

namespace e2e {
namespace {

constexpr const char* kState = "C:\\iz-netsh\\state.txt";
constexpr const char* kLog = "C:\\iz-netsh\\log.txt";
constexpr const char* kOverrides = "Software\\Wine\\DllOverrides";

std::string ReadText(const char* path) {
  std::string text;
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(f);
  return text;
}

void WriteText(const char* path, const std::string& text) {
  HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

std::size_t Runs() {
  const std::string log = ReadText(kLog);
  std::size_t n = 0;
  for (char c : log) n += c == '\n';
  return n;
}

// Wine's netsh.exe set aside in both system folders and the stand-in in its
// place, for the life of the object.
class StandInNetsh {
 public:
  explicit StandInNetsh(const iz::test::NetshState& state) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    folders_ = {std::string(windows) + "\\Sysnative", std::string(windows) + "\\syswow64"};
    std::string standIn = ProgramPath();
    standIn = standIn.substr(0, standIn.find_last_of('\\') + 1) + "netsh_standin.exe";
    for (const std::string& folder : folders_) {
      const std::string netsh = folder + "\\netsh.exe", aside = netsh + ".wine";
      if (GetFileAttributesA(aside.c_str()) == INVALID_FILE_ATTRIBUTES)
        EXPECT_TRUE(MoveFileA(netsh.c_str(), aside.c_str())) << netsh;
      EXPECT_TRUE(CopyFileA(standIn.c_str(), netsh.c_str(), FALSE)) << standIn << " to " << netsh;
    }
    // Wine runs its own netsh before a file of that name unless told.
    RegSetString(HKEY_CURRENT_USER, kOverrides, "netsh.exe", "native");
    CreateDirectoryA("C:\\iz-netsh", nullptr);
    DeleteFileA(kLog);
    WriteText(kState, state.Text());
  }
  ~StandInNetsh() {
    for (const std::string& folder : folders_) {
      const std::string netsh = folder + "\\netsh.exe", aside = netsh + ".wine";
      DeleteFileA(netsh.c_str());
      MoveFileA(aside.c_str(), netsh.c_str());
    }
    RegRemoveValue(HKEY_CURRENT_USER, kOverrides, "netsh.exe");
    DeleteFileA(kState);
    DeleteFileA(kLog);
    RemoveDirectoryA("C:\\iz-netsh");
    SetWindowsVersion("");
    RemoveBackupFolder();
  }
  iz::test::NetshState State() const { return iz::test::NetshState::Parse(ReadText(kState)); }

 private:
  std::vector<std::string> folders_;
};

// Waits until the window's reading or Apply, which runs on a thread of its
// own, is done: its buttons come back then. False when they do not.
bool WaitDone(const Program& program, HWND window, DWORD milliseconds = 10000) {
  HWND apply = Program::ChildOf(window, "Button", "&Apply");
  for (DWORD waited = 0; !IsWindowEnabled(apply) && waited < milliseconds; waited += 50) Sleep(50);
  program.WaitIdle();
  return IsWindowEnabled(apply) != FALSE;
}

struct Case {
  const char* version;
  bool templates;  // 8 and later: the congestion provider is the internet template's
  const char* congestionLine;
};

class ModernTcpE2E : public ::testing::TestWithParam<Case> {};

TEST_P(ModernTcpE2E, ListsThenSetsInThreeRunsOfNetsh) {
  const Case& c = GetParam();
  StandInNetsh netsh(iz::test::FreshNetsh(c.templates));
  SetWindowsVersion(c.version);

  const CommandRun listed = RunCommandLine("/tcp");
  ASSERT_EQ(listed.exitCode, 0u);
  ASSERT_FALSE(listed.lines.empty());
  EXPECT_EQ(listed.lines[0], "autotuninglevel\tnormal\tnormal");
  std::string congestion;
  for (const std::string& line : listed.lines)
    if (line.rfind("congestionprovider\t", 0) == 0) congestion = line;
  EXPECT_EQ(congestion, c.congestionLine);
  EXPECT_EQ(Runs(), 1u);

  const CommandRun set = RunCommandLine("/tcp AutoTuningLevel=restricted congestionprovider=ctcp rss=enabled");
  ASSERT_EQ(set.exitCode, 0u) << (set.lines.empty() ? "" : set.lines.back());
  EXPECT_EQ(set.lines.front(), "autotuninglevel\trestricted\tnormal");
  EXPECT_EQ(set.lines.back(), "2 settings changed.");
  EXPECT_EQ(Runs(), 4u);  // the listing's one, then read, write, read
  const iz::test::NetshState after = netsh.State();
  EXPECT_EQ(*after.Get("autotuninglevel"), "restricted");
  EXPECT_EQ(*after.Get("congestionprovider"), "ctcp");
}

INSTANTIATE_TEST_SUITE_P(Versions, ModernTcpE2E,
                         // Wine 8's win7 reports a server's product type, its win2008r2 a
                         // workstation: the latter is Windows 7 here.
                         ::testing::Values(Case{"win2008r2", false, "congestionprovider\tnone\tnone"},
                                           // Server 2008 runs Compound TCP by default.
                                           Case{"win2008", false, "congestionprovider\tnone\tctcp"},
                                           Case{"win10", true, "congestionprovider\tcubic\tcubic"}));

TEST(ModernTcpE2ERefused, ARefusalLeavesEverySettingAsItWas) {
  iz::test::NetshState fresh = iz::test::FreshNetsh(true);
  fresh.refuse = {"rsc"};
  StandInNetsh netsh(fresh);
  SetWindowsVersion("win10");

  const CommandRun refused =
      RunCommandLine("/tcp autotuninglevel=disabled timestamps=enabled rsc=disabled");
  EXPECT_EQ(refused.exitCode, 1u);
  ASSERT_FALSE(refused.lines.empty());
  EXPECT_EQ(refused.lines[0], "Internet Zelvora: netsh refused rsc=disabled: Der Parameter ist falsch.");
  EXPECT_EQ(netsh.State().values, fresh.values);
  EXPECT_EQ(Runs(), 4u);  // read, write, put back, read again

  // Not this Windows' name or value, and before Vista: netsh never runs.
  SetWindowsVersion("win2008r2");  // Windows 7 under Wine 8: a workstation
  const CommandRun unknown = RunCommandLine("/tcp rsc=disabled");
  EXPECT_EQ(unknown.exitCode, 2u);
  ASSERT_FALSE(unknown.lines.empty());
  EXPECT_EQ(unknown.lines[0], "Internet Zelvora: Windows 7 has no TCP setting \"rsc\".");
  SetWindowsVersion("winxp");
  const CommandRun old = RunCommandLine("/tcp");
  EXPECT_EQ(old.exitCode, 1u);
  ASSERT_FALSE(old.lines.empty());
  EXPECT_EQ(old.lines[0], "Internet Zelvora: The modern TCP settings need Windows Vista or later.");
  EXPECT_EQ(Runs(), 4u);
}

// The window's own font, the 8-point one at a DPI, measuring text as it
// shows it: a line's width, or the height of the text wrapped at a width.
SIZE Measured(const std::string& text, int wrapAt = 0, int dpi = 96) {
  HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                           "MS Sans Serif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, wrapAt, 0};
  DrawTextA(dc, text.c_str(), -1, &r,
            DT_CALCRECT | DT_NOPREFIX | (wrapAt ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return {r.right - r.left, r.bottom - r.top};
}

class ModernTcpWindowE2E : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { SetScreenDpi(GetParam()); }
  void TearDown() override { SetScreenDpi(96); }
};

TEST_P(ModernTcpWindowE2E, ApplyThroughTheWindowThenUndoPutsItBack) {
  const iz::test::NetshState fresh = iz::test::FreshNetsh(true);
  StandInNetsh netsh(fresh);
  Program program(StartOptions::OnWindows("win10"));
  ASSERT_NE(program.Main(), nullptr);
  EXPECT_EQ(Runs(), 0u) << "netsh ran at start-up";

  program.Command(IDM_MODERN_TCP);
  HWND window = program.WaitTopLevel("Modern TCP Settings");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitDone(program, window));
  EXPECT_EQ(Runs(), 1u);
  RECT work, r;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  ASSERT_TRUE(GetWindowRect(window, &r));
  EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right &&
              r.bottom <= work.bottom);
  HWND list = Program::ChildOf(window, "SysListView32");
  HWND value = Program::ChildOf(window, "ComboBox");
  // The setting, in force, default and new value of each row.
  auto shown = [&] {
    std::vector<std::string> rows;
    for (const std::vector<std::string>& row : program.ListRowsAsShown(list))
      rows.push_back(row.at(0) + " " + row.at(1) + " " + row.at(2) + " " + row.at(3));
    return rows;
  };
  const std::vector<std::string> opened = {
      "autotuninglevel normal normal normal", "congestionprovider cubic cubic cubic",
      "ecncapability disabled disabled disabled", "timestamps disabled disabled disabled",
      "rss enabled enabled enabled", "rsc enabled not documented enabled",
      "initialrto 1000 3000 1000", "maxsynretransmissions 2 2 2",
      "nonsackrttresiliency disabled disabled disabled", "fastopen enabled enabled enabled",
      "fastopenfallback enabled not documented enabled", "hystart enabled not documented enabled",
      "pacingprofile off not documented off"};
  EXPECT_EQ(shown(), opened);
  // The titles whole at every DPI: the header pads a title by 12 pixels.
  for (const char* title : {"In force", "Default", "New value"}) {
    const int column = title[0] == 'I' ? 1 : title[0] == 'D' ? 2 : 3;
    EXPECT_GE(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0),
              Measured(title, 0, GetParam()).cx + 12)
        << title;
  }

  // Tab from the list reaches the field, the three buttons and the list again.
  EXPECT_EQ(program.Focus(), list);
  const std::vector<std::string> stops = {"Windows &Defaults", "&Apply", "Close"};
  program.KeyToFocus(VK_TAB);
  EXPECT_EQ(program.Focus(), value);
  for (const std::string& stop : stops) {
    program.KeyToFocus(VK_TAB);
    EXPECT_EQ(Program::Text(program.Focus()), stop);
  }
  program.KeyToFocus(VK_TAB);
  EXPECT_EQ(program.Focus(), list);

  // autotuninglevel, selected as the window opens, to disabled, which hurts;
  // three rows down, timestamps to enabled. Windows Defaults takes both back.
  auto rowKey = [&](int key) {
    PostMessageA(list, WM_KEYDOWN, key, 1);
    PostMessageA(list, WM_KEYUP, key, 0xC0000001);
    program.WaitIdle();
  };
  program.Pick(value, 0);
  rowKey(VK_DOWN), rowKey(VK_DOWN), rowKey(VK_DOWN);
  program.Pick(value, 0);
  std::vector<std::string> chosen = opened;
  chosen[0] = "autotuninglevel normal normal disabled (hurts)";
  chosen[3] = "timestamps disabled disabled enabled";
  EXPECT_EQ(shown(), chosen);
  program.Click(Program::ChildOf(window, "Button", "Windows &Defaults"));
  // initialrto's documented default, 3000, differs from what is in force.
  std::vector<std::string> defaults = opened;
  defaults[6] = "initialrto 1000 3000 3000";
  EXPECT_EQ(shown(), defaults);
  program.Pick(value, 0);
  rowKey(VK_HOME);
  program.Pick(value, 0);
  chosen[6] = defaults[6];
  EXPECT_EQ(shown(), chosen);

  // Apply: read, one script, read; the list shows what is in force, and no
  // restart is offered.
  program.Click(Program::ChildOf(window, "Button", "&Apply"));
  ASSERT_TRUE(WaitDone(program, window));
  EXPECT_EQ(Runs(), 4u);
  iz::test::NetshState applied = fresh;
  applied.Set("autotuninglevel", "disabled");
  applied.Set("timestamps", "enabled");
  applied.Set("initialrto", "3000");
  EXPECT_EQ(netsh.State().values, applied.values);
  std::vector<std::string> after = chosen;
  after[0] = "autotuninglevel disabled (hurts) normal disabled (hurts)";
  after[3] = "timestamps enabled disabled enabled";
  after[6] = "initialrto 3000 3000 3000";
  EXPECT_EQ(shown(), after);
  EXPECT_NE(Program::ChildOf(window, "Static",
                             "3 settings changed. They take effect now; Undo Last Change puts "
                             "them back."),
            nullptr);
  EXPECT_FALSE(program.WaitDialog(500).has_value());

  // Escape closes it, and the keyboard is back in the main window.
  program.KeyToFocus(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(IsChild(program.Main(), program.Focus()));

  program.CtrlKey('Z');
  std::optional<Dialog> asked = program.WaitDialog();
  ASSERT_TRUE(asked.has_value()) << "Ctrl+Z showed nothing";
  EXPECT_EQ(asked->text.rfind("Undo Modern TCP Settings of ", 0), 0u) << asked->text;
  program.Answer(*asked, IDYES);
  std::optional<Dialog> done = program.WaitDialog();
  ASSERT_TRUE(done.has_value()) << "Undo said nothing";
  program.Answer(*done, IDOK);
  EXPECT_EQ(netsh.State().values, fresh.values);
}

INSTANTIATE_TEST_SUITE_P(Screens, ModernTcpWindowE2E, ::testing::Values(96, 144, 192));

// Inside the work area with every column whole, the selected row's effect
// whole below the list, a typed number checked as it is typed, and new
// values not applied asked about before the window closes.
TEST(ModernTcpWindowE2ELayout, FitsSaysWhatEachDoesAndAsksBeforeDroppingNewValues) {
  const iz::test::NetshState fresh = iz::test::FreshNetsh(true);
  StandInNetsh netsh(fresh);
  Program program(StartOptions::OnWindows("win10"));
  ASSERT_NE(program.Main(), nullptr);
  program.Command(IDM_MODERN_TCP);
  HWND window = program.WaitTopLevel("Modern TCP Settings");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitDone(program, window));
  RECT work, r;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  ASSERT_TRUE(GetWindowRect(window, &r));
  EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right &&
              r.bottom <= work.bottom);
  HWND list = Program::ChildOf(window, "SysListView32");
  HWND effect = GetDlgItem(window, 105), number = GetDlgItem(window, 106);
  HWND value = Program::ChildOf(window, "ComboBox");
  ASSERT_TRUE(list && effect && number && value);
  // Every cell and title whole: the list pads a text by 12 pixels.
  const std::vector<std::vector<std::string>> rows = program.ListRowsAsShown(list);
  for (const std::vector<std::string>& row : rows)
    for (const std::string& cell : row) EXPECT_EQ(cell.find("..."), std::string::npos) << cell;
  const char* const titles[] = {"Setting", "In force", "Default", "New value"};
  for (int c = 0; c < 4; ++c)
    EXPECT_GE(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0), Measured(titles[c]).cx + 12)
        << titles[c];

  // Each row's effect, warning and source, whole in the box below the list;
  // a number's row offers an edit field, a word's a fixed list.
  auto rowKey = [&](int key) {
    PostMessageA(list, WM_KEYDOWN, key, 1);
    PostMessageA(list, WM_KEYUP, key, 0xC0000001);
    program.WaitIdle();
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i) rowKey(VK_DOWN);
    const std::string text = Program::Text(effect);
    EXPECT_EQ(text.rfind(rows[i][0] + ": ", 0), 0u) << text;
    RECT box;
    GetClientRect(effect, &box);
    // As measured, and as the box wraps it: no line is scrolled out of sight.
    const LRESULT lines = SendMessageA(effect, EM_GETLINECOUNT, 0, 0);
    EXPECT_LE(Measured(text, box.right - 8).cy, box.bottom) << text;
    EXPECT_LE(lines * Measured("Ag").cy, box.bottom) << lines << " lines: " << text;
    const bool isNumber = rows[i][0] == "initialrto" || rows[i][0] == "maxsynretransmissions";
    EXPECT_EQ(IsWindowVisible(number) != FALSE, isNumber) << rows[i][0];
    EXPECT_EQ(IsWindowVisible(value) != FALSE, !isNumber) << rows[i][0];
    if (rows[i][0] == "autotuninglevel")
      EXPECT_NE(text.find("Hurts in common use: disabled"), std::string::npos) << text;
  }
  EXPECT_EQ(GetWindowLongA(value, GWL_STYLE) & 3, CBS_DROPDOWNLIST);

  // initialrto takes 300 to 3000, plainly written: what is refused says why
  // at once and is not taken.
  rowKey(VK_HOME);
  for (int i = 0; i < 6; ++i) rowKey(VK_DOWN);
  struct Typing {
    const char* typed;
    const char* shown;  // in the new value's column
    const char* note;   // "": the note of the reading stays
  };
  const Typing typings[] = {
      {"250", "1000", "\"initialrto\" takes a number from 300 to 3000, not \"250\"."},
      {"0300", "1000", "\"initialrto\" takes a number from 300 to 3000, not \"0300\"."},
      {"12a", "1000", "\"initialrto\" takes a number from 300 to 3000, not \"12a\"."},
      {"2000", "2000", ""},
  };
  for (const Typing& t : typings) {
    program.Type(number, t.typed);
    EXPECT_EQ(program.ListRowsAsShown(list)[6][3], t.shown) << t.typed;
    EXPECT_NE(Program::ChildOf(window, "Static", *t.note ? t.note : "Read from netsh just now. "
                               "Apply sets the new values at once, with no restart; Undo Last "
                               "Change puts them back."),
              nullptr)
        << t.typed;
  }
  rowKey(VK_HOME);
  program.Pick(value, 0);

  // Two new values: the close box asks; Cancel keeps the window, No drops them.
  const std::size_t runs = Runs();
  PostMessageA(window, WM_CLOSE, 0, 0);
  std::optional<Dialog> asked = program.WaitDialog();
  ASSERT_TRUE(asked.has_value()) << "closed without asking";
  EXPECT_EQ(asked->caption, "Internet Zelvora 2.19");
  EXPECT_EQ(asked->text, "2 settings have new values that are not applied. Apply them now?");
  program.Answer(*asked, IDCANCEL);
  EXPECT_TRUE(IsWindow(window));
  PostMessageA(window, WM_CLOSE, 0, 0);
  asked = program.WaitDialog();
  ASSERT_TRUE(asked.has_value()) << "closed without asking";
  program.Answer(*asked, IDNO);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Runs(), runs);
  EXPECT_EQ(netsh.State().values, fresh.values);
}

// The processes of the stand-in still running, under its name of netsh.exe.
int NetshProcesses() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    n += lstrcmpiA(entry.szExeFile, "netsh.exe") == 0;
  CloseHandle(snapshot);
  return n;
}

// A netsh that misbehaves: one that never ends is ended at the limit with
// what it started, and nothing changes; one that ends but leaves a process
// holding its output is read all the same; one that prints without end
// is stopped. The writer lock is let go each time: the next run works.
TEST(ModernTcpE2EFaults, HangingOrphaningAndFloodingNetsh) {
  iz::test::NetshState fresh = iz::test::FreshNetsh(true);
  StandInNetsh netsh(fresh);
  SetWindowsVersion("win10");
  auto with = [&](const char* fault) {
    iz::test::NetshState state = fresh;
    state.faults.Take(fault, "yes");
    WriteText(kState, state.Text());
  };

  with("hang");
  const DWORD start = GetTickCount();
  const CommandRun hung = RunCommandLine("/tcp autotuninglevel=disabled");
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(hung.exitCode, 1u);
  ASSERT_FALSE(hung.lines.empty());
  EXPECT_EQ(hung.lines[0],
            "Internet Zelvora: netsh did not finish within 30 s; nothing was changed.");
  EXPECT_GE(took, 30000u);
  EXPECT_LT(took, 38000u);
  EXPECT_EQ(NetshProcesses(), 0) << "the hung netsh was left running";
  EXPECT_EQ(*netsh.State().Get("autotuninglevel"), "normal");

  WriteText(kState, fresh.Text());
  const CommandRun after = RunCommandLine("/tcp autotuninglevel=disabled");
  EXPECT_EQ(after.exitCode, 0u) << (after.lines.empty() ? "" : after.lines[0]);
  EXPECT_EQ(*netsh.State().Get("autotuninglevel"), "disabled");

  with("orphan");
  const DWORD orphaned = GetTickCount();
  const CommandRun listed = RunCommandLine("/tcp");
  EXPECT_LT(GetTickCount() - orphaned, 10000u) << "the read waited for the orphan";
  EXPECT_EQ(listed.exitCode, 0u);
  ASSERT_FALSE(listed.lines.empty());
  EXPECT_EQ(listed.lines[0], "autotuninglevel\tnormal\tnormal");
  EXPECT_EQ(NetshProcesses(), 0) << "the orphan outlived the run";

  with("flood");
  const CommandRun flooded = RunCommandLine("/tcp");
  EXPECT_EQ(flooded.exitCode, 1u);
  ASSERT_FALSE(flooded.lines.empty());
  EXPECT_EQ(flooded.lines[0],
            "Internet Zelvora: netsh printed more than 1 MiB, which no answer of its own is; "
            "nothing was changed.");
}

// Paths and names outside ASCII: the program in a folder named with "ö"
// hands netsh its script there; a connection named with "Ä", which netsh
// writes and reads in its console's code page (850 here), gets its MTU from
// /optimize and back from /undo.
TEST(ModernTcpE2EFaults, FoldersAndConnectionsNamedOutsideAscii) {
  if (GetACP() != 1252) GTEST_SKIP() << "the names are written in code page 1252";
  const std::string folder = "C:\\Zelv\xF6ra";
  const std::string copy = folder + "\\InternetZelvora.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE));
  const std::string program = ProgramPath();
  {
    StandInNetsh netsh(iz::test::FreshNetsh(true));
    SetWindowsVersion("win10");
    _putenv(("IZ_PROGRAM=" + copy).c_str());
    const CommandRun set = RunCommandLine(
        "/tcp autotuninglevel=restricted timestamps=enabled");
    EXPECT_EQ(set.exitCode, 0u) << (set.lines.empty() ? "" : set.lines[0]);
    EXPECT_EQ(*netsh.State().Get("timestamps"), "enabled");
    RemoveBackupFolder();
    _putenv(("IZ_PROGRAM=" + program).c_str());
  }
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(folder.c_str());

  const std::string guid = "{CCCCCCCC-2222-3333-4444-555555555555}";
  const std::string interfaces =
      "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + guid;
  const std::string connection =
      "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
      guid;
  const std::string name = "Ethernet-Verbindung \xC4";
  RegSetDword(HKEY_LOCAL_MACHINE, interfaces, "EnableDHCP", 1);
  RegSetString(HKEY_LOCAL_MACHINE, connection + "\\Connection", "Name", name);
  iz::test::NetshState state = iz::test::FreshNetsh(true);
  state.values.emplace_back("mtu@" + name, "1500");
  state.faults.codepage = 850;
  StandInNetsh netsh(state);
  SetWindowsVersion("win10");
  const CommandRun optimized = RunCommandLine("/optimize /type pppoe /method 1");
  EXPECT_EQ(optimized.exitCode, 0u) << (optimized.lines.empty() ? "" : optimized.lines[0]);
  const std::string* mtu = netsh.State().Get("mtu@" + name);
  ASSERT_NE(mtu, nullptr);
  EXPECT_EQ(*mtu, "1492");
  const CommandRun undone = RunCommandLine("/undo");
  EXPECT_EQ(undone.exitCode, 0u) << (undone.lines.empty() ? "" : undone.lines[0]);
  EXPECT_EQ(*netsh.State().Get("mtu@" + name), "1500");
  RegRemoveKey(HKEY_LOCAL_MACHINE, interfaces);
  RegRemoveKey(HKEY_LOCAL_MACHINE, connection);
}

// Apply while netsh hangs: the window answers and shows that it waits, its
// buttons off, until netsh is ended at the limit; then it says why and its
// buttons come back.
TEST(ModernTcpWindowE2EFaults, AnswersWhileNetshHangs) {
  const iz::test::NetshState fresh = iz::test::FreshNetsh(true);
  StandInNetsh netsh(fresh);
  Program program(StartOptions::OnWindows("win10"));
  ASSERT_NE(program.Main(), nullptr);
  program.Command(IDM_MODERN_TCP);
  HWND window = program.WaitTopLevel("Modern TCP Settings");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitDone(program, window));
  iz::test::NetshState hanging = fresh;
  hanging.faults.hang = true;
  WriteText(kState, hanging.Text());
  HWND apply = Program::ChildOf(window, "Button", "&Apply");
  HWND close = Program::ChildOf(window, "Button", "Close");
  PostMessageA(apply, BM_CLICK, 0, 0);
  Sleep(3000);
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0)
      << "the window does not answer while netsh runs";
  EXPECT_FALSE(IsWindowEnabled(apply));
  EXPECT_FALSE(IsWindowEnabled(close));
  EXPECT_NE(Program::ChildOf(window, "Static", "Waiting for netsh..."), nullptr);
  std::optional<Dialog> said = program.WaitDialog(40000);
  ASSERT_TRUE(said.has_value()) << "nothing said after the limit";
  EXPECT_EQ(said->text, "netsh did not finish within 30 s; nothing was changed.");
  program.Answer(*said, IDOK);
  EXPECT_TRUE(WaitDone(program, window));
  EXPECT_TRUE(IsWindowEnabled(close));
  EXPECT_EQ(netsh.State().values, fresh.values);
  program.KeyToFocus(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace e2e
