#pragma once
// ToolBar1: flat, captions under the icons, five buttons with a divider after
// each, and their hints as tooltips.
#include "app/win32/resource_ids.h"
#include "app/win32/win.h"

namespace iz::win32 {

struct ToolButtonSpec {
  int id;  // 0 for a divider
  const char* component;
  const char* caption;
  const char* hint;
  int icon;
};

inline constexpr ToolButtonSpec kToolButtons[] = {
    {IDT_OPTIMIZE, "ToolButton5", "Optimize", "Optimize your connection", IDI_TB_OPTIMIZE},
    {0, "ToolButton2", nullptr, nullptr, 0},
    {IDT_RESTORE, "ToolButton6", "Restore", "Restore Windows Defaults", IDI_TB_RESTORE},
    {0, "ToolButton12", nullptr, nullptr, 0},
    {IDT_VIEW, "ToolButton7", "View ", "View curent Settings", IDI_TB_VIEW},
    {0, "ToolButton3", nullptr, nullptr, 0},
    {IDT_HELP, "ToolButton8", "Help", "Help contents", IDI_TB_HELP},
    {0, "ToolButton1", nullptr, nullptr, 0},
    {IDT_EXIT, "ToolButton10", "Exit", "Exit the program", IDI_TB_EXIT},
    {0, "ToolButton4", nullptr, nullptr, 0},
};

class ToolBar {
 public:
  ToolBar() = default;
  ~ToolBar();
  ToolBar(const ToolBar&) = delete;
  ToolBar& operator=(const ToolBar&) = delete;

  // Creates the toolbar at the top of parent, `height` pixels tall.
  HWND Create(HWND parent, int id, int width, int height, HFONT font);
  HWND Handle() const { return hwnd_; }
  // Right edge of the last divider, where Panel1 starts.
  int ButtonsRight() const;
  // Answers the tooltip's request for a button's hint; true when handled.
  bool OnNotify(NMHDR* header);

 private:
  HWND hwnd_ = nullptr;
  HIMAGELIST images_ = nullptr;
};

}  // namespace iz::win32
