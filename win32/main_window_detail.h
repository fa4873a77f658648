#pragma once
// What the main window's files share: the panel is made in
// main_window_panel.cpp, its messages are handled in main_window.cpp.
#include <windows.h>

#include "store/error.h"

namespace iz::win32::main_window_detail {

// The combo box's height with its list dropped down.
inline constexpr int kComboDropHeight = 160;

Error UnknownControl(const char* name);

// The controls' own procedures, behind the ones the main window puts in
// front of a few of them. All boxes are of one class, and so share one.
extern WNDPROC g_buttonProc;
extern WNDPROC g_editProc;

// A plain replacement of the window procedure, with the main window in
// GWLP_USERDATA. The common controls' subclass chain would look its data up
// on every message the control gets (under Wine a server call each time, a
// few hundred of them while the panel first paints).
void Subclass(HWND control, WNDPROC proc, WNDPROC* original, void* self);

}  // namespace iz::win32::main_window_detail
