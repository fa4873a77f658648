// The keyboard and screen readers with the real window under Wine: the
// drop-down list keeps its own keys, the focus comes back after a message
// box, each run of choices is one tab stop, the first-run notice's text is
// a read-only tab stop, and the fields that a choice labels carry names.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <map>
#include <string>
#include <vector>

#include "e2e/ui_driver.h"

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
