// The keyboard and screen readers with the real window under Wine: the
// drop-down list keeps its own keys, the focus comes back after a message
// box, each run of choices is one tab stop, the arrow keys never leave it,
// the toolbar is a tab stop of its own, the small windows work by keyboard
// alone, the first-run notice's text is a read-only tab stop, and the
// fields that a choice labels carry names.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "e2e/ui_driver.h"

#include <commctrl.h>

namespace e2e {
namespace {

constexpr char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

bool HasStyle(HWND hwnd, LONG style) { return (GetWindowLongA(hwnd, GWL_STYLE) & style) != 0; }

// Every value of a key, name and bytes, to see that nothing was written.
std::map<std::string, std::vector<BYTE>> Values(HKEY root, const char* key) {
  std::map<std::string, std::vector<BYTE>> values;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[4096];
    DWORD n = sizeof(name), size = sizeof(data), type = 0;
    if (RegEnumValueA(h, i, name, &n, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    values[name].assign(data, data + size);
  }
  RegCloseKey(h);
  return values;
}

// The panel's controls in z (and tab) order.
std::vector<HWND> PanelControls(const Program& program) {
  std::vector<HWND> controls;
  HWND panel2 = GetParent(program.GroupBox("Connection Type"));
  for (HWND c = GetWindow(panel2, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    controls.push_back(c);
  return controls;
}

bool IsChoice(HWND hwnd) {
  return ClassOf(hwnd) == "Button" &&
         (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_RADIOBUTTON;
}

// Tab stops of the panel: one per run of choices (the choices between two
// WS_GROUP controls) plus every other control that takes the focus.
void ExpectOneTabStopPerRun(const Program& program) {
  int runs = 0, others = 0, stops = 0;
  std::vector<HWND> run;
  auto closeRun = [&] {
    if (run.empty()) return;
    ++runs;
    int inRun = 0;
    for (HWND c : run) inRun += HasStyle(c, WS_TABSTOP);
    EXPECT_EQ(inRun, 1) << "run starting with \"" << Program::Text(run.front()) << "\"";
    run.clear();
  };
  for (HWND c : PanelControls(program)) {
    if (HasStyle(c, WS_GROUP)) closeRun();
    stops += HasStyle(c, WS_TABSTOP);
    if (IsChoice(c)) {
      run.push_back(c);
    } else if (ClassOf(c) != "Static" &&
               (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) {
      ++others;
    }
  }
  closeRun();
  // Connection type, method, MTU, TTL, cache, receive window, keep-alive;
  // twelve options, seven fields and the list.
  EXPECT_EQ(runs, 7);
  EXPECT_EQ(others, 20);
  EXPECT_EQ(stops, runs + others);
}

TEST(Keyboard, TabStopsFocusAndTheListsOwnKeys) {
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  // At start-up the focus is on the first tab stop, not on the window.
  HWND first = program.Focus();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(IsChoice(first) && HasStyle(first, WS_TABSTOP)) << Program::Text(first);
  ExpectOneTabStopPerRun(program);

  // Down moves through the run without choosing, and the tab stops stay.
  program.KeyToFocus(VK_DOWN);
  HWND next = program.Focus();
  EXPECT_NE(next, first);
  EXPECT_TRUE(IsChoice(next));
  EXPECT_FALSE(Program::Checked(next));
  program.Click(program.Find("Button", " Custom Mode"));
  program.Click(program.InGroup("Receive Window (RWIN)", "Button", " Multiple"));
  ExpectOneTabStopPerRun(program);

  // F4 and Alt+Down open the list; Restore Windows Defaults (F4 elsewhere)
  // neither asks nor writes.
  HWND combo = program.Combo();
  ASSERT_TRUE(Program::Enabled(combo));
  for (int i = 0; i < 60 && program.Focus() != combo; ++i) program.Key(VK_TAB);
  ASSERT_EQ(program.Focus(), combo);
  const auto before = Values(HKEY_LOCAL_MACHINE, kTcpip);
  for (bool alt : {false, true}) {
    program.KeyToFocus(alt ? VK_DOWN : VK_F4, alt);
    EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << (alt ? "Alt+Down" : "F4");
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    program.WaitIdle();
  }
  EXPECT_FALSE(program.WaitDialog(500).has_value());
  EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kTcpip), before);

  // After F5 and its message box the focus is back on the list.
  RemoveBackupFolder();
  program.KeyToFocus(VK_F5);
  std::optional<Dialog> saved = program.WaitDialog();
  ASSERT_TRUE(saved.has_value());
  program.Answer(*saved, IDOK);
  for (int i = 0; i < 50 && program.Focus() != combo; ++i) Sleep(20);
  EXPECT_EQ(program.Focus(), combo);
  RemoveBackupFolder();
}

// Down and Right from every control of the panel that takes the focus, as
// many times as its run has choices: the focus goes round the run, stays on
// any other control, never leaves the panel, and nothing is chosen or
// written. The toolbar is reached by Tab, after the panel, and highlights
// only while it has the focus, or while the mouse is on it.
TEST(Keyboard, ArrowsStayInTheirRunAndTheToolbarIsATabStopOfItsOwn) {
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  std::map<HWND, int> runOf;  // the panel's controls, by the WS_GROUP that opened their run
  std::map<int, int> choicesIn;
  std::set<HWND> focusable, reached;
  int run = 0;
  for (HWND c : PanelControls(program)) {
    run += HasStyle(c, WS_GROUP);
    runOf[c] = run;
    choicesIn[run] += IsChoice(c);
    if (ClassOf(c) != "Static" && (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX &&
        Program::Enabled(c))
      focusable.insert(c);
  }
  auto checkedBoxes = [&] {
    std::set<HWND> checked;
    for (HWND c : focusable) {
      if (Program::Checked(c)) checked.insert(c);
    }
    return checked;
  };
  const auto checkedBefore = checkedBoxes();
  const auto before = Values(HKEY_LOCAL_MACHINE, kTcpip);
  HWND toolbar = program.ToolBar();
  ASSERT_NE(toolbar, nullptr);
  for (int stop = 0; stop < 60 && program.Focus() != toolbar; ++stop) {
    HWND at = program.Focus();
    ASSERT_TRUE(runOf.count(at)) << "Tab left the panel at \"" << Program::Text(at) << "\"";
    reached.insert(at);
    for (int key : {VK_DOWN, VK_RIGHT}) {
      for (int i = 0; i <= choicesIn[runOf[at]]; ++i) {
        program.KeyToFocus(key);
        HWND now = program.Focus();
        ASSERT_TRUE(runOf.count(now) && runOf[now] == runOf[at])
            << (key == VK_DOWN ? "Down" : "Right") << " from \"" << Program::Text(at)
            << "\" led to \"" << Program::Text(now) << "\"";
        reached.insert(now);
      }
    }
    program.Key(VK_TAB);
  }
  EXPECT_EQ(reached, focusable);
  EXPECT_EQ(checkedBoxes(), checkedBefore);
  EXPECT_FALSE(program.WaitDialog(300).has_value());
  EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kTcpip), before);

  // The toolbar: the first button highlighted as the focus arrives, the
  // arrows go round its buttons (dividers between them), Space presses one
  // and keeps the highlight; leaving by Tab clears it.
  ASSERT_EQ(program.Focus(), toolbar);
  auto hot = [&] { return static_cast<int>(SendMessageA(toolbar, TB_GETHOTITEM, 0, 0)); };
  EXPECT_EQ(hot(), 0);
  program.KeyToFocus(VK_LEFT);
  EXPECT_EQ(hot(), 8);  // Exit
  program.KeyToFocus(VK_DOWN);
  program.KeyToFocus(VK_RIGHT);
  program.KeyToFocus(VK_RIGHT);
  EXPECT_EQ(hot(), 4);  // View
  program.KeyToFocus(VK_SPACE);  // reads the settings into the panel, writes nothing
  EXPECT_FALSE(program.WaitDialog(300).has_value());
  EXPECT_EQ(program.Focus(), toolbar);
  EXPECT_EQ(hot(), 4);
  program.Key(VK_TAB);
  EXPECT_TRUE(runOf.count(program.Focus()));
  EXPECT_EQ(hot(), -1);
  // A button the mouse pressed: its command's window held the mouse, which
  // the toolbar never saw leave.
  SendMessageA(toolbar, TB_SETHOTITEM, 4, 0);
  program.ToolButton(IDM_VIEW_CURRENT_SETTINGS);
  EXPECT_EQ(hot(), -1);
  EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kTcpip), before);
}

// Find Largest MTU and Network Adapters by keyboard alone: Tab goes round
// every control, Enter presses the default or the focused button, Escape
// closes, and the focus is back where it was in the main window.
TEST(Keyboard, TheSmallWindowsByKeyboardAlone) {
  const std::string interfaces = std::string(kTcpip) + "\\Interfaces\\";
  const std::string guid = "{0A0A0A0A-2222-3333-4444-555555555555}";
  const std::string connection =
      "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
      guid + "\\Connection";
  const std::string longName =
      "Local Area Connection of the second Gigabit Ethernet adapter on the riser card";
  RegRemoveValue(HKEY_CURRENT_USER, "Software\\Internet Zelvora", "UntickedAdapters");
  ASSERT_EQ(std::system(("reg add \"HKLM\\" + interfaces + guid + "\" /f >nul").c_str()), 0);
  RegSetString(HKEY_LOCAL_MACHINE, connection, "Name", longName);

  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  HWND home = program.Focus();
  ASSERT_NE(home, nullptr);
  auto tabRound = [&](HWND window, size_t controls) {
    std::vector<HWND> seen;
    for (size_t i = 0; i < controls; ++i) {
      seen.push_back(program.Focus());
      program.KeyToFocus(VK_TAB);
    }
    EXPECT_EQ(program.Focus(), seen.front()) << "Tab does not come round";
    for (HWND c : seen) EXPECT_EQ(GetParent(c), window) << Program::Text(c);
    return seen;
  };

  // Find Largest MTU: Enter in the host field starts (the loopback passes
  // 1500); Enter on "Use as Custom MTU" puts it into the panel, and the
  // status line says what the panel now holds.
  program.Command(IDM_FIND_MTU);
  HWND window = program.WaitTopLevel("Find Largest MTU");
  ASSERT_NE(window, nullptr);
  HWND host = Program::ChildOf(window, "Edit");
  HWND use = Program::ChildOf(window, "Button", "&Use as Custom MTU");
  EXPECT_EQ(program.Focus(), host);
  program.Type(host, "127.0.0.1");
  program.KeyToFocus(VK_RETURN);
  for (int i = 0; i < 500 && !Program::Enabled(use); ++i) Sleep(20);
  ASSERT_TRUE(Program::Enabled(use)) << "no MTU within 10 seconds";
  const auto controls = tabRound(window, 4);
  EXPECT_EQ(std::set<HWND>(controls.begin(), controls.end()),
            (std::set<HWND>{host, Program::ChildOf(window, "Button", "&Start"), use,
                            Program::ChildOf(window, "Button", "Close")}));
  while (program.Focus() != use) program.KeyToFocus(VK_TAB);
  program.KeyToFocus(VK_RETURN);
  EXPECT_TRUE(Program::Checked(program.InGroup("Maximum Transmission Unit ", "Button",
                                               " 1500 (LAN)")));
  EXPECT_FALSE(Program::Enabled(program.Edit("Maximum Transmission Unit ")));
  bool said = false;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    said = said || Program::Text(c) ==
                       "1500 (LAN) ticked in the panel. It is kept when you choose a connection "
                       "type, which Optimize needs first.";
  }
  EXPECT_TRUE(said) << "no status line";
  program.KeyToFocus(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(program.Focus(), home);

  // Network Adapters: the first row has the focus, so the first Space
  // clears its tick; the name's column is as wide as the name; Enter is OK,
  // which keeps the tick, and Escape leaves without one.
  for (int key : {VK_RETURN, VK_ESCAPE}) {
    program.Command(IDM_NETWORK_ADAPTERS);
    window = program.WaitTopLevel("Network Adapters");
    ASSERT_NE(window, nullptr);
    HWND list = Program::ChildOf(window, WC_LISTVIEWA);
    EXPECT_EQ(program.Focus(), list);
    ASSERT_GE(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);
    const int row = program.ListItemText(list, 0) == longName ? 0 : 1;
    EXPECT_EQ(program.ListItemText(list, row), longName);
    const auto shown = program.ListRowsAsShown(list);
    ASSERT_GT(shown.size(), static_cast<size_t>(row));
    EXPECT_EQ(shown[row][0], longName) << "the name is cut";
    tabRound(window, 3);
    program.KeyToFocus(VK_SPACE);
    program.KeyToFocus(key);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(program.Focus(), home);
  }
  // The Space before Enter cleared the first row's tick and OK kept it; the
  // one before Escape was dropped.
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, "Software\\Internet Zelvora", "UntickedAdapters")
                   .AsString()
                   .empty());
  RegRemoveValue(HKEY_CURRENT_USER, "Software\\Internet Zelvora", "UntickedAdapters");
  RegRemoveKey(HKEY_LOCAL_MACHINE, interfaces + guid);
  RegRemoveKey(HKEY_LOCAL_MACHINE, connection.substr(0, connection.rfind('\\')));
}

// A screen reader names a field after the label right before it in the z
// order, hidden or not.
TEST(Keyboard, FieldsThatAChoiceLabelsAreNamed) {
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  std::map<std::string, std::string> got;
  const std::map<std::string, std::string> expected = {
      {"Maximum Transmission Unit ", "Custom MTU:"},
      {"Time To Live (TTL) ", "Custom TTL:"},
      {"Cache Size (NDI)", "Custom cache size:"},
      {"Receive Window (RWIN)", "Custom receive window:"},
      {"Session Keep Alive (SKA) ", "Custom keep-alive in seconds:"},
  };
  for (const auto& [group, name] : expected) {
    IAccessible* accessible = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(program.Edit(group), OBJID_CLIENT, IID_IAccessible,
                                         reinterpret_cast<void**>(&accessible)),
              S_OK);
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (accessible->get_accName(self, &text) == S_OK && text) {
      got[group] = std::string(text, text + SysStringLen(text));
      SysFreeString(text);
    }
    accessible->Release();
  }
  EXPECT_EQ(got, expected);
  // The list too has its hidden label right before it.
  HWND label = GetWindow(program.Combo(), GW_HWNDPREV);
  EXPECT_EQ(ClassOf(label), "Static");
  EXPECT_FALSE(IsWindowVisible(label));
  EXPECT_EQ(Program::Text(label), "Receive window, multiple of the segment size:");
  CoUninitialize();
}

// Tab from OK reaches the notice's text; Enter or Escape there still close
// the notice.
TEST(Keyboard, NoticeTextIsReadOnlyAndReachedByTab) {
  for (int key : {VK_RETURN, VK_ESCAPE}) {
    RegRemoveKey(HKEY_CURRENT_USER, "SOFTWARE\\Internet Zelvora");
    StartOptions options;
    options.firstRunSeen = false;
    options.waitForMainWindow = false;
    Program program(options);
    HWND notice = program.WaitTopLevel("Internet Zelvora 2.19");
    ASSERT_NE(notice, nullptr);
    HWND memo = FindWindowExA(notice, nullptr, "Edit", nullptr);
    HWND ok = FindWindowExA(notice, nullptr, "Button", "OK");
    ASSERT_TRUE(memo && ok);
    EXPECT_TRUE(HasStyle(memo, ES_READONLY));
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    auto focus = [&] {
      GetGUIThreadInfo(GetWindowThreadProcessId(notice, nullptr), &info);
      return info.hwndFocus;
    };
    EXPECT_EQ(focus(), ok);
    PostMessageA(ok, WM_KEYDOWN, VK_TAB, 1);
    PostMessageA(ok, WM_KEYUP, VK_TAB, 1 | (3u << 30));
    Sleep(300);
    EXPECT_EQ(focus(), memo);
    PostMessageA(memo, WM_KEYDOWN, key, 1);
    for (int i = 0; i < 100 && IsWindow(notice); ++i) Sleep(50);
    EXPECT_FALSE(IsWindow(notice)) << (key == VK_RETURN ? "Enter" : "Escape");
  }
}

}  // namespace
}  // namespace e2e
