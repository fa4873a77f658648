// The main window at four screen resolutions under Wine: its size, every
// control inside its group box and clear of the others, and the caption of
// every choice and option fitting its control in the control's own font. At
// 96 DPI every control sits exactly where the layout table puts it.
#include <gtest/gtest.h>

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
