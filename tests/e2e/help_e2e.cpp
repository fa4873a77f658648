// The first-run notice, the about window and the help file, with the real
// program under Wine.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "../../help/links.h"
#include "e2e/ui_driver.h"

namespace e2e {
namespace {

constexpr const char* kOwnKey = "SOFTWARE\\Internet Zelvora";

// The notice as the user must see it, line for line (trailing blanks and the
// empty fifth line included).
const char* const kNoticeText =
    "Before making any changes to your system, you should \r\n"
    "backup your registry first.To backup your registry go to \r\n"
    "Settings menu from this program and click \"Backup your\r\n"
    "settings\". \r\n"
    "\r\n"
    "Internet Zelvora offers 3 different automatic methods \r\n"
    "which will speed up your connection. You should try all\r\n"
    "3 of them to find out which one is the best for your \r\n"
    "configuration. These message will appear only once.";

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

SIZE ClientSize(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// x, y, width, height of a control in its window's client area.
std::string Place(HWND control) {
  const RECT r = Program::RectInParent(control);
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

HWND Child(HWND parent, const char* className, const char* text) {
  return FindWindowExA(parent, nullptr, className, text);
}

// The edit control's own text: another process's GetWindowText gives only
// the window's caption, which an edit control does not keep.
std::string EditText(HWND edit) {
  char text[2048] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(edit, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  return text;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// A window of the program of that class, visible or not.
HWND WindowOfClass(const Program& program, const char* className) {
  for (HWND hwnd = FindWindowExA(nullptr, nullptr, className, nullptr); hwnd;
       hwnd = FindWindowExA(nullptr, hwnd, className, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == program.ProcessId()) return hwnd;
  }
  return nullptr;
}

void WaitGone(HWND hwnd) {
  for (int i = 0; i < 100 && IsWindow(hwnd); ++i) Sleep(50);
}

StartOptions FirstStart() {
  RegRemoveKey(HKEY_CURRENT_USER, kOwnKey);  // as on a machine that never ran it
  StartOptions options;
  options.firstRunSeen = false;
  options.waitForMainWindow = false;
  return options;
}

TEST(FirstRunNotice, ComesBeforeTheMainWindowOnceOnly) {
  {
    Program program(FirstStart());
    HWND notice = program.WaitTopLevel("Internet Zelvora 2.19");
    ASSERT_NE(notice, nullptr) << "no first-run notice";
    EXPECT_EQ(ClassOf(notice), "TAboutBox1");
    EXPECT_FALSE(program.Main() && IsWindowVisible(program.Main()))
        << "the main window is shown while the notice is open";

    const SIZE client = ClientSize(notice);
    EXPECT_EQ(client.cx, 290);
    EXPECT_EQ(client.cy, 174);
    HWND memo = Child(notice, "Edit", nullptr);
    HWND ok = Child(notice, "Button", "OK");
    ASSERT_TRUE(memo && ok);
    EXPECT_EQ(EditText(memo), kNoticeText);
    EXPECT_EQ(Place(memo), "8,12 273x129");
    EXPECT_EQ(Place(ok), "101,142 75x25");
    EXPECT_EQ(FocusOf(notice), ok);
    EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kOwnKey, "FirstUse").exists)
        << "the flag is stored only once the notice is closed";

    program.Click(ok);
    WaitGone(notice);
    EXPECT_FALSE(IsWindow(notice));
    for (int i = 0; i < 100 && !IsWindowVisible(program.Main()); ++i) Sleep(50);
    EXPECT_TRUE(IsWindowVisible(program.Main()));
    const RegValue flag = RegRead(HKEY_CURRENT_USER, kOwnKey, "FirstUse");
    EXPECT_EQ(flag.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(flag.AsString(), "0");
  }
  {
    StartOptions again;
    again.firstRunSeen = false;  // whatever the first start stored
    Program program(again);
    ASSERT_NE(program.Main(), nullptr);
    EXPECT_EQ(WindowOfClass(program, "TAboutBox1"), nullptr) << "the notice came back";
  }
}

TEST(FirstRunNotice, CloseBoxAlsoMarksItShown) {
  Program program(FirstStart());
  HWND notice = program.WaitTopLevel("Internet Zelvora 2.19");
  ASSERT_NE(notice, nullptr);
  PostMessageA(notice, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitGone(notice);
  for (int i = 0; i < 100 && !IsWindowVisible(program.Main()); ++i) Sleep(50);
  EXPECT_TRUE(IsWindowVisible(program.Main()));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kOwnKey, "FirstUse").AsString(), "0");
}

// Both menu entries show the same modal window, centred over the main window,
// and OK or the close box returns to the main window.
TEST(AboutWindow, BothEntriesOpenTheSameWindowAndOkClosesIt) {
  Program program;
  ASSERT_NE(program.Main(), nullptr);
  struct Entry {
    const char* name;
    int command;
    bool closeBox;
  };
  const Entry entries[] = {{"&About", IDM_ABOUT, false},
                           {"&About Internet Zelvora", IDM_ABOUT_INTERNET_ZELVORA, false},
                           {"&About, close box", IDM_ABOUT, true}};
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    program.Command(e.command);
    HWND about = program.WaitTopLevel("About Internet Zelvora");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ClassOf(about), "TAboutBox");
    const SIZE client = ClientSize(about);
    EXPECT_EQ(client.cx, 345);
    EXPECT_EQ(client.cy, 195);
    RECT a{}, m{};
    GetWindowRect(about, &a);
    GetWindowRect(program.Main(), &m);
    EXPECT_NEAR((a.left + a.right) / 2, (m.left + m.right) / 2, 2);
    EXPECT_NEAR((a.top + a.bottom) / 2, (m.top + m.bottom) / 2, 2);
    EXPECT_FALSE(Program::Enabled(program.Main())) << "the about window is not modal";

    EXPECT_NE(Child(about, "Static", "Internet Zelvora"), nullptr);
    EXPECT_NE(Child(about, "Static", "Version 2.19"), nullptr);
    EXPECT_NE(Child(about, "Static", iz::kAboutUndoLine), nullptr);
    const std::string linkText = std::string("Website: ") + iz::kPublisherSite;
    HWND link = Child(about, "Static", linkText.c_str());
    ASSERT_NE(link, nullptr);
    bool linkHasTip = false;
    for (const TooltipInfo& tip : program.Tooltips()) {
      if (tip.idIsHwnd && reinterpret_cast<HWND>(tip.id) == link)
        linkHasTip = tip.text == "Internet Zelvora Website";
    }
    EXPECT_TRUE(linkHasTip) << "the link has no tooltip \"Internet Zelvora Website\"";
    HWND ok = Child(about, "Button", "OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(Place(ok), "261,162 75x25");

    if (e.closeBox) {
      PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      program.Click(ok);
    }
    WaitGone(about);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_TRUE(Program::Enabled(program.Main()));
  }
  EXPECT_TRUE(program.Running());
}

TEST(HelpFile, LiesBesideTheProgramAsACompiledHelpFile) {
  std::string path = ProgramPath();
  path.erase(path.find_last_of("\\/") + 1);
  path += "Internet Zelvora.chm";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path << " is missing";
  const std::string content((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  EXPECT_EQ(content.substr(0, 4), "ITSF");
  // The topics were compiled in, not only the table of contents.
  for (const char* topic :
       {"/welcome.htm", "/options.htm", "/backup.htm", "/registry.htm", "/keyboard.htm"})
    EXPECT_NE(content.find(topic), std::string::npos) << topic;
}

}  // namespace
}  // namespace e2e
