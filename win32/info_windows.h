#pragma once
// The small modal windows: the first-run notice (TAboutBox1), the about
// window (TAboutBox), the preview of Optimize and the network adapters. Each
// is created when shown and destroyed when closed (win32/modal_window.h).
#include <functional>
#include <vector>

#include "model/platform.h"
#include "model/preview_report.h"
#include "win32/win.h"

namespace iz::win32 {

// Each opens centred and wholly inside the work area of its monitor
// (win32/work_area.h).

// Shows the notice centred on the screen; returns when OK or the close box
// closes it.
void ShowFirstRunNoticeWindow(HWND owner);

// Shows the about window centred over owner. onLinkClick runs when the
// website link is clicked, with context and the about window's handle (the
// shell launch's owner).
void ShowAboutWindow(HWND owner, void (*onLinkClick)(void* context, HWND about), void* context);

// The "Preview Changes" window centred over owner: the summary line and the
// changes in a list whose columns fit their texts, the window as wide as
// they need where the screen allows, and resizable. True when it was left
// by "&Optimize", false by "Close", Escape or the close box.
bool ShowPreviewWindow(HWND owner, const PreviewReport& report);

// The "Network Adapters" window centred over owner: one row per adapter with
// its box, name, stored MTU and MTU in use. True when left by OK, with each
// row's tick as the user left it; Cancel, Escape and the close box keep none.
bool ShowAdaptersWindow(HWND owner, std::vector<AdapterRow>* rows);

}  // namespace iz::win32
