#pragma once
// The small modal windows: the first-run notice (TAboutBox1), the about
// window (TAboutBox) and the preview of Optimize. Each is created when shown
// and destroyed when closed.
#include <functional>

#include "model/preview_report.h"
#include "win32/win.h"

namespace iz::win32 {

// Shows the notice centred on the screen; returns when OK or the close box
// closes it.
void ShowFirstRunNoticeWindow(HWND owner);

// Shows the about window centred over owner. onLinkClick runs when the
// website link is clicked, with the about window's handle (the shell launch's
// owner).
void ShowAboutWindow(HWND owner, const std::function<void(HWND about)>& onLinkClick);

// The "Preview Changes" window centred over owner: the summary line and the
// changes in a list. True when it was left by "&Optimize", false by "Close",
// Escape or the close box.
bool ShowPreviewWindow(HWND owner, const PreviewReport& report);

}  // namespace iz::win32
