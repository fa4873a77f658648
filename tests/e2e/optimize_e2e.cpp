// Optimize in the real program under Wine: a user ticks "CABLE / DSL" with
// " Automatic Mode 1", presses Optimize, reads the restart prompt and answers
// No; the prefix's registry and win.ini then hold the profile's values with
// their exact types and bytes. The preview (F7) lists those values and
// writes none of them; Ctrl+Z gives back what was there before Optimize.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/ui_driver.h"
// After <windows.h>, which the driver brings.
#include <commctrl.h>

namespace e2e {
namespace {

constexpr char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kInterface[] =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\interface";
constexpr char kNetbt[] = "SYSTEM\\CurrentControlSet\\Services\\Netbt\\Parameters";
constexpr char kNdi[] = "SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params";
constexpr char kMaxConnect[] =
    "SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect";
constexpr char kMaxSockets[] =
    "SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets";
constexpr char kCacheSize[] =
    "SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
constexpr char kNet0000[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\Net\\0000";
constexpr char kNet0001[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\Net\\0001";
constexpr char kTrans0000[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
constexpr char kTrans0001[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
constexpr char kTrans0002[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\NetTrans\\0002";
constexpr char kVCache[] = "SYSTEM\\CurrentControlSet\\Services\\VxD\\VCACHE";
constexpr char kComBuff[] = "SYSTEM\\CurrentControlSet\\Services\\VxD\\COMBUFF";
constexpr char kMstcp[] = "SYSTEM\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr char kMstcpParameters[] = "SYSTEM\\CurrentControlSet\\Services\\VxD\\MSTCP\\Parameters";
constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

constexpr char kPrompt[] =
    "Your CABLE / DSL connection has been Optimized. Before using the new settings you must "
    "restart your computer. Do you wish to reboot now? ";

struct Expected {
  HKEY root;
  const char* key;
  const char* name;
  DWORD type;
  std::vector<std::uint8_t> data;
};

Expected Dw(const char* key, const char* name, DWORD v, HKEY root = HKEY_LOCAL_MACHINE) {
  return {root,
          key,
          name,
          REG_DWORD,
          {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
           static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}
Expected Sz(const char* key, const char* name, const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return {HKEY_LOCAL_MACHINE, key, name, REG_SZ, bytes};
}
Expected Bin(const char* key, const char* name, std::uint8_t byte) {
  return {HKEY_LOCAL_MACHINE, key, name, REG_BINARY, {byte}};
}

// "CABLE / DSL", " Automatic Mode 1": TTL 64, MTU 1500, cache 32, window
// 256960, keep-alive 600 s, 10 and 20 connections; SlowNet, VCache and
// ComBuffer cleared, both NDI ranges ticked.
const std::vector<Expected> kNT = {
    Dw(kTcpip, "DefaultTTL", 64),
    Dw(kTcpip, "EnablePMTUDiscovery", 1),
    Dw(kTcpip, "EnablePMTUBHDetect", 0),
    Dw(kTcpip, "Tcp1323Opts", 1),
    Dw(kTcpip, "SackOpts", 1),
    Dw(kTcpip, "TcpWindowSize", 256960),
    Dw(kInterface, "TcpWindowSize", 256960),
    Dw(kTcpip, "GlobalMaxTcpWindowSize", 256960),
    Dw(kNetbt, "SessionKeepAlive", 600000),
    Sz(kCacheSize, "", "32"),
    Dw(kTcpip, "TcpUseRFC1122UrgentPointer", 1),
    Dw(kTcpip, "TcpMaxDupAcks", 2),
    Dw(kInterface, "MTU", 1500),
    Dw(kMaxConnect, "min", 2),
    Dw(kMaxConnect, "max", 128),
    Dw(kMaxSockets, "min", 32),
    Dw(kMaxSockets, "max", 1020),
    Bin(kNet0000, "SLOWNET", 0x01),
    Bin(kVCache, "Start", 0x00),
    Bin(kComBuff, "Start", 0x00),
    Dw(kInternetSettings, "MaxConnectionsPerServer", 10, HKEY_CURRENT_USER),
    Dw(kInternetSettings, "MaxConnectionsPer1_0Server", 20, HKEY_CURRENT_USER),
};

// Wine's win98 is 98 SE, which reads the MSTCP values as strings.
const std::vector<Expected> k9x = {
    Sz(kMstcp, "DefaultTTL", "64"),
    Sz(kMstcp, "PMTUDiscovery", "1"),
    Sz(kMstcp, "PMTUBlackHoleDetect", "0"),
    Sz(kMstcp, "Tcp1323Opts", "1"),
    Sz(kMstcp, "SackOpts", "1"),
    Sz(kMstcp, "DefaultRcvWindow", "256960"),
    Sz(kMstcp, "SessionKeepAlive", "600"),
    Sz(kMstcp, "BSDUrgent", "1"),
    Dw(kMstcpParameters, "MaxDupAcks", 2),
    Dw(kMstcpParameters, "Tcp1323Opts", 1),
    Dw(kMstcpParameters, "SackOpts", 1),
    Sz(kCacheSize, "", "32"),
    Sz(kMaxConnect, "min", "2"),
    Sz(kMaxConnect, "max", "128"),
    Sz(kMaxSockets, "min", "32"),
    Sz(kMaxSockets, "max", "1020"),
    Sz(kTrans0000, "MaxMTU", "1500"),
    Sz(kTrans0000, "MaxMSS", "1460"),
    Sz(kTrans0000, "IPMTU", "1500"),
    Sz(kTrans0001, "MaxMTU", "1500"),
    Sz(kTrans0001, "MaxMSS", "1460"),
    Sz(kTrans0001, "IPMTU", "1500"),
    Sz(kTrans0002, "MaxMTU", "1500"),
    Sz(kTrans0002, "MaxMSS", "1460"),
    Sz(kTrans0002, "IPMTU", "1500"),
    Sz(kNet0000, "MaxMTU", "1500"),
    Sz(kNet0000, "IPMTU", "1500"),
    Sz(kNet0000, "MaxMSS", "1460"),
    Sz(kNet0001, "MaxMTU", "1500"),
    Sz(kNet0001, "IPMTU", "1500"),
    Sz(kNet0001, "MaxMSS", "1460"),
    Bin(kNet0000, "SLOWNET", 0x01),
    Bin(kVCache, "Start", 0x00),
    Bin(kComBuff, "Start", 0x00),
    Dw(kMstcpParameters, "GlobalMaxTcpWindoSize", 256960),
    Dw(kMstcpParameters, "GlobalMaxTcpWindowSize", 256960),
    Dw(kInternetSettings, "MaxConnectionsPerServer", 10, HKEY_CURRENT_USER),
    Dw(kInternetSettings, "MaxConnectionsPer1_0Server", 20, HKEY_CURRENT_USER),
};

const char* const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "COM5:"};

std::string WinIni() {
  char dir[MAX_PATH] = {};
  GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\win.ini";
}

// One line per value: where it is, its type and bytes ("absent" when it is
// not there), so that a whole table compares at once.
std::string Describe(HKEY root, const char* key, const char* name, DWORD type,
                     const std::vector<std::uint8_t>& data) {
  std::string line = std::string(root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + key + " [" +
                     name + "] type " + std::to_string(type);
  for (std::uint8_t b : data) {
    char hex[4];
    snprintf(hex, sizeof hex, " %02x", b);
    line += hex;
  }
  return line;
}
std::vector<std::string> Wanted(const std::vector<Expected>& table) {
  std::vector<std::string> lines;
  for (const Expected& e : table) lines.push_back(Describe(e.root, e.key, e.name, e.type, e.data));
  return lines;
}
std::vector<std::string> Found(const std::vector<Expected>& table) {
  std::vector<std::string> lines;
  for (const Expected& e : table) {
    const RegValue v = RegRead(e.root, e.key, e.name);
    lines.push_back(v.exists ? Describe(e.root, e.key, e.name, v.type, v.data)
                             : Describe(e.root, e.key, e.name, 0, {}) + " absent");
  }
  return lines;
}

std::vector<std::string> Ports() {
  std::vector<std::string> values;
  for (const char* port : kPorts) {
    char value[256] = {};
    GetPrivateProfileStringA("Ports", port, "absent", value, sizeof value, WinIni().c_str());
    values.push_back(std::string(port) + "=" + value);
  }
  return values;
}

// Every value of the table removed, the browser's key kept (the program never
// creates it), and no "Ports" entries in win.ini: what the run leaves is then
// what it wrote.
void ClearTargets(const std::vector<Expected>& table) {
  for (const Expected& e : table) RegRemoveValue(e.root, e.key, e.name);
  RegSetDword(HKEY_CURRENT_USER, kInternetSettings, "IZ e2e", 1);
  RegRemoveValue(HKEY_CURRENT_USER, kInternetSettings, "IZ e2e");
  for (const char* port : kPorts)
    WritePrivateProfileStringA("Ports", port, nullptr, WinIni().c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, WinIni().c_str());
}

std::vector<std::string> Absent(const std::vector<Expected>& table) {
  std::vector<std::string> lines;
  for (const Expected& e : table)
    lines.push_back(Describe(e.root, e.key, e.name, 0, {}) + " absent");
  return lines;
}

// Puts the table's values and the "Ports" entries back as they were before
// the test, so the suites that run after it in the same prefix start from
// the same state.
class Preserved {
 public:
  explicit Preserved(const std::vector<Expected>& table) : table_(table) {
    for (const Expected& e : table_) values_.push_back(RegRead(e.root, e.key, e.name));
    for (const char* port : kPorts) {
      char value[256] = {};
      const DWORD n =
          GetPrivateProfileStringA("Ports", port, "\x01", value, sizeof value, WinIni().c_str());
      ports_.push_back(std::string(value, n));
    }
  }
  ~Preserved() {
    for (size_t i = 0; i < table_.size(); ++i) {
      const Expected& e = table_[i];
      if (!values_[i].exists) {
        RegRemoveValue(e.root, e.key, e.name);
        continue;
      }
      HKEY key = nullptr;
      if (RegCreateKeyExA(e.root, e.key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
          ERROR_SUCCESS) {
        RegSetValueExA(key, e.name, 0, values_[i].type, values_[i].data.data(),
                       static_cast<DWORD>(values_[i].data.size()));
        RegCloseKey(key);
      }
    }
    for (size_t i = 0; i < ports_.size(); ++i) {
      const bool absent = ports_[i] == "\x01";
      WritePrivateProfileStringA("Ports", kPorts[i], absent ? nullptr : ports_[i].c_str(),
                                 WinIni().c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, WinIni().c_str());
  }
  Preserved(const Preserved&) = delete;
  Preserved& operator=(const Preserved&) = delete;

 private:
  const std::vector<Expected>& table_;
  std::vector<RegValue> values_;
  std::vector<std::string> ports_;
};

enum class Trigger { ToolbarButton, F2, MenuItem };

struct Case {
  const char* windows;
  Trigger trigger;
  const std::vector<Expected>* table;
};

class OptimizeE2E : public ::testing::TestWithParam<Case> {};

TEST_P(OptimizeE2E, CableDslWritesTheProfileAndNoLeavesItInPlace) {
  const Case& c = GetParam();
  Preserved preserved(*c.table);
  ClearTargets(*c.table);
  Program program(StartOptions::OnWindows(c.windows));
  ASSERT_NE(program.Main(), nullptr);

  program.Click(program.Find("Button", "CABLE / DSL"));
  switch (c.trigger) {
    case Trigger::ToolbarButton:
      program.ToolButton(IDM_OPTIMIZE_CONNECTION);
      break;
    case Trigger::F2:
      program.Key(VK_F2);
      break;
    case Trigger::MenuItem:
      program.Command(IDM_OPTIMIZE_CONNECTION);
      break;
  }

  std::optional<Dialog> prompt = program.WaitDialog();
  ASSERT_TRUE(prompt.has_value()) << "no restart prompt";
  EXPECT_EQ(prompt->caption, "Confirm");
  EXPECT_EQ(prompt->text, kPrompt);
  EXPECT_EQ(prompt->buttons, (std::vector<std::string>{"&Yes", "&No"}));
  // Yes is the default push button.
  const LONG yesStyle = GetWindowLongA(GetDlgItem(prompt->hwnd, IDYES), GWL_STYLE);
  EXPECT_EQ(yesStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  // Every value is written before the prompt shows.
  EXPECT_EQ(Found(*c.table), Wanted(*c.table));

  program.Answer(*prompt, IDNO);
  EXPECT_FALSE(program.WaitDialog(500).has_value()) << "a dialog followed No";
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(Found(*c.table), Wanted(*c.table));
  EXPECT_EQ(Ports(), (std::vector<std::string>{"COM1:=921600,n,8,1,p", "COM2:=921600,n,8,1,p",
                                               "COM3:=921600,n,8,1,p", "COM4:=921600,n,8,1,p",
                                               "COM5:=921600,n,8,1,p"}));
}

INSTANTIATE_TEST_SUITE_P(Windows, OptimizeE2E,
                         ::testing::Values(Case{"winxp", Trigger::ToolbarButton, &kNT},
                                           Case{"win98", Trigger::F2, &k9x},
                                           Case{"win2k", Trigger::MenuItem, &kNT}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.windows);
                         });

// Without a connection type Optimize only says so; nothing is written.
TEST(OptimizeE2ENoType, OnlyInformsAndWritesNothing) {
  Preserved preserved(kNT);
  ClearTargets(kNT);
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  program.ToolButton(IDM_OPTIMIZE_CONNECTION);
  std::optional<Dialog> info = program.WaitDialog();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->caption, "Information");
  EXPECT_EQ(info->text, "You must choose a connection type first.");
  EXPECT_EQ(info->buttons, std::vector<std::string>{"OK"});
  program.Answer(*info, IDOK);
  EXPECT_FALSE(program.WaitDialog(500).has_value());
  EXPECT_EQ(Found(kNT), Absent(kNT));
}

// F7 shows what Optimize would change on the stock prefix, every value of the
// profile and the five ports, and Escape closes the preview with nothing
// written.
TEST(PreviewE2E, F7ListsEveryChangeAndEscapeWritesNothing) {
  Preserved preserved(kNT);
  ClearTargets(kNT);
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  program.Click(program.Find("Button", "CABLE / DSL"));
  program.Key(VK_F7);

  HWND preview = program.WaitTopLevel("Preview Changes");
  ASSERT_NE(preview, nullptr) << "no preview window";
  std::vector<std::string> texts;
  HWND list = nullptr;
  for (HWND child = GetWindow(preview, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, WC_LISTVIEWA) == 0) list = child;
    texts.push_back(Program::Text(child));
  }
  // The first row is chosen, its whole location on the line below the list.
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "27 of 27 values would change.", "",
                       "Location: HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                       "&Optimize", "Close"}));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 27);
  const auto rows = program.ListRowsAsShown(list);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], (std::vector<std::string>{"DefaultTTL", "(absent)", "64 (0x00000040)", "yes",
                                               "...\\Tcpip\\Parameters"}));
  // Made as narrow as it goes, Right and Left scroll the list sideways.
  SetWindowPos(preview, nullptr, 0, 0, 100, 400, SWP_NOMOVE | SWP_NOZORDER);
  program.WaitIdle();
  // The header moves with the columns: its left edge is the scroll's.
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  PostMessageA(list, WM_KEYDOWN, VK_RIGHT, 1);
  program.WaitIdle();
  EXPECT_LT(Program::RectInParent(header).left, 0);
  PostMessageA(list, WM_KEYDOWN, VK_LEFT, 1);
  program.WaitIdle();
  EXPECT_EQ(Program::RectInParent(header).left, 0);

  PostMessageA(GetDlgItem(preview, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
  program.WaitIdle();
  EXPECT_FALSE(IsWindow(preview)) << "Escape left the preview open";
  EXPECT_FALSE(program.WaitDialog(500).has_value());
  EXPECT_EQ(Found(kNT), Absent(kNT));
  EXPECT_EQ(Ports(), (std::vector<std::string>{"COM1:=absent", "COM2:=absent", "COM3:=absent",
                                               "COM4:=absent", "COM5:=absent"}));
}

// ---- Undo Last Change

// A machine tuned by hand before the program ran: some values of the table
// set to numbers of their own (as the readers take them), the rest absent,
// one port set.
void SeedHandTuned(const std::vector<Expected>& table) {
  ClearTargets(table);
  for (size_t i = 0; i < table.size(); i += 3) {
    const Expected& e = table[i];
    if (e.type == REG_DWORD) RegSetDword(e.root, e.key, e.name, 3 + static_cast<DWORD>(i));
    if (e.type == REG_SZ) RegSetString(e.root, e.key, e.name, std::to_string(3 + i));
    if (e.type == REG_BINARY) RegSetBinary(e.root, e.key, e.name, {0x01});
  }
  WritePrivateProfileStringA("Ports", "COM2:", "2400,n,8,1", WinIni().c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, WinIni().c_str());
}

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// The newest journal record beside the program ("" when there is none).
std::string NewestRecord() {
  const std::string history = Folder(ProgramPath()) + "Backup\\History\\";
  std::string newest;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((history + "*.reg").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return newest;
  do {
    if (newest.empty() || std::string(data.cFileName) > newest) newest = data.cFileName;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return history + newest;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : lines) out << line << "\n";
}
std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class UndoE2E : public ::testing::TestWithParam<Case> {};

// Cable/DSL Optimize through the window, then Ctrl+Z: the registry and
// win.ini are as they were. The record, and the values it must give, are left
// beside the program for the import into a fresh prefix.
TEST_P(UndoE2E, CtrlZAfterOptimizeLeavesRegistryAndWinIniAsTheyWere) {
  const Case& c = GetParam();
  Preserved preserved(*c.table);
  SeedHandTuned(*c.table);
  const std::vector<std::string> before = Found(*c.table);
  const std::vector<std::string> portsBefore = Ports();
  const std::string older = NewestRecord();

  Program program(StartOptions::OnWindows(c.windows));
  ASSERT_NE(program.Main(), nullptr);
  program.Click(program.Find("Button", "CABLE / DSL"));
  program.ToolButton(IDM_OPTIMIZE_CONNECTION);
  std::optional<Dialog> prompt = program.WaitDialog();
  ASSERT_TRUE(prompt.has_value()) << "no restart prompt";
  ASSERT_EQ(prompt->caption, "Confirm");
  program.Answer(*prompt, IDNO);
  ASSERT_EQ(Found(*c.table), Wanted(*c.table));

  const std::string record = NewestRecord();
  ASSERT_NE(record, older) << "Optimize left no record";
  const std::string keep = Folder(ProgramPath()) + "journal-" + c.windows;
  ASSERT_TRUE(CopyFileA(record.c_str(), (keep + ".reg").c_str(), FALSE));
  WriteLines(keep + ".values", before);

  program.CtrlKey('Z');
  std::optional<Dialog> asked = program.WaitDialog();
  ASSERT_TRUE(asked.has_value()) << "Ctrl+Z showed nothing";
  EXPECT_EQ(asked->caption, "Internet Zelvora 2.19");
  EXPECT_EQ(asked->text.rfind("Undo Optimize of ", 0), 0u) << asked->text;
  program.Answer(*asked, IDYES);
  std::optional<Dialog> done = program.WaitDialog();
  ASSERT_TRUE(done.has_value()) << "Undo said nothing";
  EXPECT_EQ(done->caption, "Internet Zelvora 2.19");
  EXPECT_EQ(done->text.rfind("The change made by Optimize on ", 0), 0u) << done->text;
  EXPECT_NE(done->text.find("Windows must be restarted"), std::string::npos) << done->text;
  program.Answer(*done, IDOK);

  EXPECT_EQ(Found(*c.table), before);
  EXPECT_EQ(Ports(), portsBefore);
  EXPECT_EQ(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES) << "the record stayed";
  EXPECT_FALSE(program.WaitDialog(500).has_value());
}

// A value changed with `reg add` after Optimize was changed by another
// program: Undo's Confirm names it, and it is kept while the rest goes back.
TEST(UndoChangedSinceE2E, AValueChangedWithRegAddIsNamedAndKept) {
  Preserved preserved(kNT);
  SeedHandTuned(kNT);
  std::vector<std::string> expected = Found(kNT);
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  program.Click(program.Find("Button", "CABLE / DSL"));
  program.ToolButton(IDM_OPTIMIZE_CONNECTION);
  std::optional<Dialog> prompt = program.WaitDialog();
  ASSERT_TRUE(prompt.has_value()) << "no restart prompt";
  program.Answer(*prompt, IDNO);

  ASSERT_EQ(std::system("reg add \"HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\"
                        "Parameters\" /v DefaultTTL /t REG_DWORD /d 100 /f >nul 2>&1"),
            0);
  for (std::size_t i = 0; i < kNT.size(); ++i) {
    if (std::string(kNT[i].name) == "DefaultTTL") expected[i] = Found(kNT)[i];
  }
  program.CtrlKey('Z');
  std::optional<Dialog> asked = program.WaitDialog();
  ASSERT_TRUE(asked.has_value()) << "Ctrl+Z showed nothing";
  EXPECT_EQ(asked->caption, "Internet Zelvora 2.19");
  EXPECT_NE(asked->text.find("\n1 value was changed since and is kept: "
                             "DefaultTTL (Tcpip\\Parameters)."),
            std::string::npos)
      << asked->text;
  program.Answer(*asked, IDYES);
  std::optional<Dialog> done = program.WaitDialog();
  ASSERT_TRUE(done.has_value()) << "Undo said nothing";
  EXPECT_EQ(done->caption, "Internet Zelvora 2.19");
  program.Answer(*done, IDOK);
  EXPECT_EQ(Found(kNT), expected);
  EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                    "DefaultTTL")
                .data,
            (std::vector<std::uint8_t>{100, 0, 0, 0}));
}

// A record planted in History whose extra row names the Run key, as anyone
// who may write the folder could plant it: /undo refuses the record as
// damaged and names it, exits 1, and the Run key is left as it was.
TEST(UndoPlantedE2E, ARunKeyExtraIsRefusedAndTheRunKeyUntouched) {
  Preserved preserved(kNT);
  SeedHandTuned(kNT);
  {
    Program program(StartOptions::OnWindows("winxp"));
    ASSERT_NE(program.Main(), nullptr);
    program.Click(program.Find("Button", "CABLE / DSL"));
    program.ToolButton(IDM_OPTIMIZE_CONNECTION);
    std::optional<Dialog> prompt = program.WaitDialog();
    ASSERT_TRUE(prompt.has_value()) << "no restart prompt";
    program.Answer(*prompt, IDNO);
  }
  const std::string record = NewestRecord();
  std::string text;
  {
    std::ifstream in(record, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const std::string run = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::size_t account = text.find("\r\n", text.find(";#account ")) + 2;
  ASSERT_NE(account, std::string::npos + 2) << text;
  text.insert(account, ";#extra [" + run + "] \"evil\"\r\n");
  text.insert(text.find(";#after "), "[" + run + "]\r\n\"evil\"=\"calc.exe\"\r\n\r\n");
  text.insert(text.rfind(";#end"), ";>[" + run + "]\r\n;>\"evil\"=-\r\n;>\r\n");
  {
    std::ofstream out(record, std::ios::binary | std::ios::trunc);
    out << text;
  }
  const std::vector<std::string> optimized = Found(kNT);

  const CommandRun undo = RunCommandLine("/undo");
  EXPECT_EQ(undo.exitCode, std::optional<DWORD>(1u));
  ASSERT_FALSE(undo.lines.empty());
  EXPECT_EQ(undo.lines[0], "Internet Zelvora: Line 8 of " + record +
                               " is not valid: a value that the journal never records")
      << undo.lines[0];
  EXPECT_FALSE(RegRead(HKEY_LOCAL_MACHINE, run.substr(19), "evil").exists);
  EXPECT_EQ(Found(kNT), optimized);
  EXPECT_NE(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES) << "the record went";
  DeleteFileA(record.c_str());
}

INSTANTIATE_TEST_SUITE_P(Windows, UndoE2E,
                         ::testing::Values(Case{"winxp", Trigger::ToolbarButton, &kNT},
                                           Case{"win98", Trigger::ToolbarButton, &k9x}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.windows);
                         });

// Run by tests/wine/import_journal.sh in a fresh prefix after `regedit /S` of
// a record the test above kept: the registry holds the values the program's
// prefix had before Optimize. Skipped anywhere else.
TEST(JournalImport, GivesTheValuesFromBeforeTheChange) {
  const char* windows = std::getenv("IZ_IMPORTED");
  if (windows == nullptr) GTEST_SKIP() << "only after an import into a fresh prefix";
  const std::string keep = Folder(ProgramPath()) + "journal-" + windows;
  const std::vector<std::string> expected = ReadLines(keep + ".values");
  ASSERT_FALSE(expected.empty()) << keep << ".values is missing";
  EXPECT_EQ(Found(std::string(windows) == "win98" ? k9x : kNT), expected);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Two network adapters made with reg add, as XP keeps them, and a third that
// its driver's entry marks virtual: Optimize through the window gives the two
// the profile's MTU and receive window and leaves the virtual one alone,
// which the window lists unticked; with one cleared there, the next Optimize
// changes only the other.
TEST(AdaptersE2E, OptimizeTunesEveryTickedAdapterAndOnlyThose) {
  const std::string interfaces = std::string(kTcpip) + "\\Interfaces\\";
  const std::string a = "{11111111-2222-3333-4444-555555555555}";
  const std::string b = "{AAAAAAAA-2222-3333-4444-555555555555}";
  const std::string vpn = "{CCCCCCCC-2222-3333-4444-555555555555}";
  const std::string entry =
      "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\9999";
  const std::string own = "Software\\Internet Zelvora";
  Preserved preserved(kNT);
  RegRemoveValue(HKEY_CURRENT_USER, own, "UntickedAdapters");
  for (const std::string& guid : {a, b, vpn}) {
    RegRemoveKey(HKEY_LOCAL_MACHINE, interfaces + guid);
    const std::string add = "reg add \"HKLM\\" + interfaces + guid + "\" /f >nul";
    ASSERT_EQ(std::system(add.c_str()), 0) << add;
  }
  RegRemoveKey(HKEY_LOCAL_MACHINE, entry);
  for (const std::string& add :
       {"reg add \"HKLM\\" + entry + "\" /v NetCfgInstanceId /t REG_SZ /d " + vpn + " /f >nul",
        "reg add \"HKLM\\" + entry + "\" /v Characteristics /t REG_DWORD /d 1 /f >nul"}) {
    ASSERT_EQ(std::system(add.c_str()), 0) << add;
  }
  auto mtus = [&] {
    return std::vector<DWORD>{RegRead(HKEY_LOCAL_MACHINE, interfaces + a, "MTU").AsDword(),
                              RegRead(HKEY_LOCAL_MACHINE, interfaces + b, "MTU").AsDword()};
  };
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  program.Click(program.Find("Button", "CABLE / DSL"));
  auto optimize = [&] {
    program.Command(IDM_OPTIMIZE_CONNECTION);
    std::optional<Dialog> prompt = program.WaitDialog();
    ASSERT_TRUE(prompt.has_value());
    EXPECT_EQ(prompt->text, kPrompt);
    program.Answer(*prompt, IDNO);
  };
  optimize();
  EXPECT_EQ(mtus(), (std::vector<DWORD>{1500, 1500}));
  EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, interfaces + b, "TcpWindowSize").AsDword(), 256960u);
  EXPECT_FALSE(RegRead(HKEY_LOCAL_MACHINE, interfaces + vpn, "MTU").exists)
      << "Optimize tuned the virtual adapter";

  RegSetDword(HKEY_LOCAL_MACHINE, interfaces + a, "MTU", 576);
  RegSetDword(HKEY_LOCAL_MACHINE, interfaces + b, "MTU", 576);
  program.Command(IDM_NETWORK_ADAPTERS);
  HWND window = program.WaitTopLevel("Network Adapters");
  ASSERT_NE(window, nullptr) << "no adapters window";
  HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
  int row = -1;
  for (int i = 0; i < 3; ++i) {
    if (program.ListItemText(list, i) == b) row = i;
    const bool ticked =
        (SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
        INDEXTOSTATEIMAGEMASK(2);
    if (program.ListItemText(list, i) == vpn + " (virtual)") {
      EXPECT_FALSE(ticked) << "the virtual adapter is ticked";
    } else {
      EXPECT_TRUE(ticked) << program.ListItemText(list, i);
    }
  }
  ASSERT_NE(row, -1) << program.ListItemText(list, 0) << ", " << program.ListItemText(list, 1);
  program.SetListChecked(list, row, false);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  program.WaitIdle();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, own, "UntickedAdapters").AsString(), b);

  optimize();
  EXPECT_EQ(mtus(), (std::vector<DWORD>{1500, 576}));

  for (const std::string& guid : {a, b, vpn}) RegRemoveKey(HKEY_LOCAL_MACHINE, interfaces + guid);
  RegRemoveKey(HKEY_LOCAL_MACHINE, entry);
  RegRemoveValue(HKEY_CURRENT_USER, own, "UntickedAdapters");
}

}  // namespace
}  // namespace e2e
