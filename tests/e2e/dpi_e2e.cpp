// The main window at four screen resolutions under Wine: its size, every
// control inside its group box and clear of the others, and the caption of
// every choice and option fitting its control in the control's own font. At
// 96 DPI every control sits exactly where the layout table puts it. Every
// window opens on the screen, here and on e2e_small_screen's 1024x768.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "../../win32/panel_layout.h"
#include "e2e/ui_driver.h"

namespace e2e {
namespace {

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

LONG ButtonType(HWND hwnd) {
  return ClassOf(hwnd) == "Button" ? (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) : -1;
}

std::string Describe(HWND hwnd) {
  const RECT r = Program::RectInParent(hwnd);
  std::ostringstream s;
  s << ClassOf(hwnd) << " \"" << Program::Text(hwnd) << "\" " << r.left << "," << r.top << " "
    << (r.right - r.left) << "x" << (r.bottom - r.top);
  return s.str();
}

// A rectangle as text, so that a difference shows all four edges.
std::string Edges(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

// The client area is the 96-DPI one scaled; each control lies wholly inside
// every group box that holds its centre (Optimization Methods sits inside
// Connection Type) and crosses no other control; the caption of each choice
// and option fits by the control's own measure (the check mark, the gap and
// the text in its font; the last pixel is the focus frame's margin).
void ExpectLaidOutAt(const Program& program, int dpi) {
  RECT client;
  GetClientRect(program.Main(), &client);
  EXPECT_NEAR(client.right, MulDiv(592, dpi, 96), 1);
  EXPECT_NEAR(client.bottom, MulDiv(323, dpi, 96), 1);

  HWND panel2 = GetParent(program.GroupBox("Connection Type"));
  ASSERT_NE(panel2, nullptr);
  std::vector<HWND> groups, others, all;
  for (HWND c = GetWindow(panel2, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    all.push_back(c);
    if (!IsWindowVisible(c)) continue;
    (ButtonType(c) == BS_GROUPBOX ? groups : others).push_back(c);
  }

  for (HWND c : others) {
    const RECT r = Program::RectInParent(c);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    for (HWND g : groups) {
      const RECT gr = Program::RectInParent(g);
      if (PtInRect(&gr, centre)) {
        EXPECT_TRUE(Inside(r, gr)) << Describe(c) << " sticks out of " << Describe(g);
      } else {
        EXPECT_FALSE(Overlap(r, gr)) << Describe(c) << " runs into " << Describe(g);
      }
    }
    for (HWND d : others)
      if (d < c)
        EXPECT_FALSE(Overlap(r, Program::RectInParent(d))) << Describe(c) << " / " << Describe(d);
  }
  for (HWND c : others) {
    const LONG type = ButtonType(c);
    if (type != BS_RADIOBUTTON && type != BS_CHECKBOX) continue;
    const RECT r = Program::RectInParent(c);
    const SIZE ideal = program.IdealSize(c);
    EXPECT_LE(ideal.cx - 1, r.right - r.left) << Describe(c);
    EXPECT_LE(ideal.cy, r.bottom - r.top + 2) << Describe(c);
  }

  if (dpi == 96) {
    // The layout table as it stands, control for control.
    ASSERT_EQ(all.size(), std::size(iz::win32::kPanelLayout));
    for (size_t i = 0; i < all.size(); ++i) {
      const iz::win32::CtlPlace& p = iz::win32::kPanelLayout[i];
      const RECT r = Program::RectInParent(all[i]);
      const int h = p.kind == iz::win32::CtlKind::Combo ? r.bottom - r.top : p.h;
      EXPECT_EQ(Edges(r), Edges({p.x, p.y, p.x + p.w, p.y + h})) << p.name;
    }
  }
}

class DpiTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { SetScreenDpi(GetParam()); }
  void TearDown() override { SetScreenDpi(96); }
};

TEST_P(DpiTest, LayoutScalesAndEveryCaptionFits) {
  Program program(StartOptions::OnWindows("winxp"));
  ASSERT_NE(program.Main(), nullptr);
  ExpectLaidOutAt(program, GetParam());
}

// The notice's text wholly inside its memo, measured by the memo itself in
// the font it uses: the last character's line ends above its bottom.
void ExpectNoticeTextFits(HWND notice) {
  HWND memo = Program::ChildOf(notice, "Edit");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // Asked of the memo itself: the text of another process's window is not
  // the caller's to read with GetWindowText.
  const int length = static_cast<int>(SendMessageA(memo, WM_GETTEXTLENGTH, 0, 0));
  const auto top = [&](LRESULT at) {
    return static_cast<short>(HIWORD(SendMessageA(memo, EM_POSFROMCHAR, at, 0)));
  };
  const int line = top(SendMessageA(memo, EM_LINEINDEX, 1, 0)) - top(0);
  const int lastTop = top(length - 1);
  RECT client;
  GetClientRect(memo, &client);
  EXPECT_GT(line, 0);
  EXPECT_GE(lastTop, 0) << "the notice's last line is out of sight";
  EXPECT_LE(lastTop + line, client.bottom) << "the notice's text is cut";
}

// The notice, main window, about window, Find Largest MTU, Network Adapters
// and preview, as a first start shows them, each in the work area (the main
// window's top left corner), and the preview's rows told apart as shown; the
// notice's text is wholly shown at each DPI.
TEST_P(DpiTest, EveryWindowOpensInTheWorkArea) {
  const std::string screen = std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                             std::to_string(GetSystemMetrics(SM_CYSCREEN));
  if (const char* wanted = std::getenv("IZ_SCREEN")) ASSERT_EQ(screen, wanted);
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  SCOPED_TRACE("the work area " + Edges(work));
  const std::string adapter =  // for the Network Adapters window to list
      "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces"
      "\\{D1D1D1D1-0000-0000-0000-000000000192}";
  ASSERT_EQ(std::system(("reg add \"HKLM\\" + adapter + "\" /f >nul").c_str()), 0);
  StartOptions options = StartOptions::OnWindows("winxp");
  options.firstRunSeen = false;
  options.waitForMainWindow = false;
  SetFirstRunSeen(false);
  Program program(options);
  RECT r{};
  auto inWorkArea = [&](const char* caption) {
    HWND window = program.WaitTopLevel(caption);
    EXPECT_TRUE(GetWindowRect(window, &r) && Inside(r, work)) << caption << " " << Edges(r);
    return window;
  };
  HWND notice = inWorkArea("Internet Zelvora 2.19");
  ExpectNoticeTextFits(notice);
  PostMessageA(notice, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && !IsWindowVisible(program.Main()); ++i) Sleep(50);
  ASSERT_TRUE(IsWindowVisible(program.Main()));
  GetWindowRect(program.Main(), &r);
  EXPECT_TRUE(PtInRect(&work, POINT{r.left, r.top})) << "main window " << Edges(r);

  for (const auto& [command, caption] :
       {std::pair{IDM_ABOUT_INTERNET_ZELVORA, "About Internet Zelvora"},
        std::pair{IDM_FIND_MTU, "Find Largest MTU"},
        std::pair{IDM_NETWORK_ADAPTERS, "Network Adapters"}}) {
    program.Command(command);
    PostMessageA(inWorkArea(caption), WM_COMMAND, IDCANCEL, 0);
    program.WaitIdle();
  }
  program.Click(program.Find("Button", "CABLE / DSL"));
  program.Key(VK_F7);
  HWND preview = inWorkArea("Preview Changes");
  const auto rows = program.ListRowsAsShown(Program::ChildOf(preview, "SysListView32"));
  EXPECT_GT(rows.size(), 1u);
  for (size_t i = 0; i < rows.size(); ++i)
    for (size_t j = i + 1; j < rows.size(); ++j)
      EXPECT_NE(rows[i], rows[j]) << "rows " << i << " and " << j;
  PostMessageA(preview, WM_COMMAND, IDCANCEL, 0);
  program.WaitIdle();
  RegRemoveKey(HKEY_LOCAL_MACHINE, adapter);
}

INSTANTIATE_TEST_SUITE_P(Screens, DpiTest, ::testing::Values(96, 120, 144, 192));

// Windows 10 moves a per-monitor aware window to a monitor of 144 DPI: the
// window takes the suggested rectangle and lays itself out for 144 DPI.
TEST(DpiChange, WindowLaysItselfOutAgainInTheSuggestedRectangle) {
  Program program(StartOptions::OnWindows("win10"));
  ASSERT_NE(program.Main(), nullptr);
  RECT outer, client;
  GetWindowRect(program.Main(), &outer);
  GetClientRect(program.Main(), &client);
  const RECT suggested{outer.left, outer.top, outer.right + MulDiv(592, 144, 96) - client.right,
                       outer.bottom + MulDiv(323, 144, 96) - client.bottom};
  program.DpiChanged(144, suggested);
  RECT now;
  GetWindowRect(program.Main(), &now);
  EXPECT_EQ(Edges(now), Edges(suggested));
  ExpectLaidOutAt(program, 144);
}

}  // namespace
}  // namespace e2e
