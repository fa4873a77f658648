#pragma once
// ToolBar1: flat, captions under the icons, five buttons with a divider after
// each, and their hints as tooltips. The icons come in drawn sizes (16, 24,
// 32 and 48 pixels); the toolbar takes the one nearest to 24 pixels at 96
// DPI scaled, so that an icon is never stretched.
#include "win32/resource_ids.h"
#include "win32/win.h"

namespace iz::win32 {

struct ToolButtonSpec {
  int id;  // the menu command it sends; 0 for a divider
  const char* caption;
  const char* hint;
  int icon;
};

inline constexpr ToolButtonSpec kToolButtons[] = {
    {IDM_OPTIMIZE_CONNECTION, "Optimize", "Optimize your connection", IDI_TB_OPTIMIZE},
    {0, nullptr, nullptr, 0},
    {IDM_RESTORE_WINDOWS_DEFAULTS, "Restore", "Restore Windows Defaults", IDI_TB_RESTORE},
    {0, nullptr, nullptr, 0},
    {IDM_VIEW_CURRENT_SETTINGS, "View ", "View curent Settings", IDI_TB_VIEW},
    {0, nullptr, nullptr, 0},
    {IDM_CONTENTS, "Help", "Help contents", IDI_TB_HELP},
    {0, nullptr, nullptr, 0},
    {IDM_EXIT, "Exit", "Exit the program", IDI_TB_EXIT},
    {0, nullptr, nullptr, 0},
};

inline constexpr int kToolIconSizes[] = {16, 24, 32, 48};
int ToolIconSize(int dpi);

class ToolBar {
 public:
  ToolBar() = default;
  ~ToolBar();
  ToolBar(const ToolBar&) = delete;
  ToolBar& operator=(const ToolBar&) = delete;

  // Creates the toolbar at the top of parent, `width` x `height` in 96-DPI
  // pixels, scaled to dpi.
  HWND Create(HWND parent, int id, int width, int height, HFONT font, int dpi);
  // Places and sizes it, its buttons and their icons for another DPI.
  void SetDpi(int dpi, HFONT font);
  HWND Handle() const { return hwnd_; }
  // Right edge of the last divider, where Panel1 starts.
  int ButtonsRight() const;
  // Answers the tooltip's request for a button's hint; true when handled.
  bool OnNotify(NMHDR* header);

  // The keyboard, while the toolbar has the focus (it is a tab stop of its
  // own): the arrow keys, Home and End move the highlight from button to
  // button, never out of the toolbar; Enter and Space press the highlighted
  // one. *command is the command to run, 0 for none; false for any other key.
  bool OnKey(WPARAM key, int* command);
  // The keyboard's highlight follows the focus: the first button is
  // highlighted when the focus arrives, none when it leaves. Acts only on a
  // change, so the mouse's highlight stays the toolbar's own meanwhile.
  void ShowFocus(bool focused);
  // After a command of a button the mouse pressed: its message box or window
  // took the mouse, so the toolbar never saw it leave, and the button would
  // stay highlighted until the mouse comes back.
  void DropHighlight();

 private:
  void AddButtons(int dpi);
  // The highlighted button's index, -1 for none.
  int HotItem() const;

  HWND hwnd_ = nullptr;
  HIMAGELIST images_ = nullptr;
  int width_ = 0, height_ = 0;  // at 96 DPI
  bool focused_ = false;
};

}  // namespace iz::win32
