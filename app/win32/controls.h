#pragma once
// Small helpers for the standard controls of the main window: the fonts, a
// plain container window (TPanel) that hands its children's notifications to
// the main window, and child creation with the window's font.
#include "app/win32/win.h"

namespace iz::win32 {

// The fonts of the main window: 8-point "MS Sans Serif" at 96 DPI, its bold
// variant for the status bar, and the title font of the labels on Panel1.
struct Fonts {
  HFONT normal = nullptr;
  HFONT bold = nullptr;
  HFONT title = nullptr;
  Fonts();
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
};

// A container without behaviour of its own: it paints the button face (and
// a raised bevel when asked) and sends WM_COMMAND, WM_NOTIFY and the
// WM_CTLCOLOR* messages of its children on to `target`, so that the main
// window handles every control in one place.
HWND CreatePanel(HWND parent, HWND target, int id, int x, int y, int w, int h, bool bevel);

// A child window with the given font.
HWND CreateChild(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
                 int w, int h, HWND parent, int id, HFONT font);

}  // namespace iz::win32
