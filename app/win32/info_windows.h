#pragma once
// The two small modal windows: the first-run notice (TAboutBox1) and the about
// window (TAboutBox). Each is created when shown and destroyed when closed.
#include <functional>

#include "app/win32/win.h"

namespace iz::win32 {

// Shows the notice centred on the screen; returns when OK or the close box
// closes it.
void ShowFirstRunNoticeWindow(HWND owner);

// Shows the about window centred over owner. onLinkClick runs when the
// website link is clicked, with the about window's handle (the shell launch's
// owner).
void ShowAboutWindow(HWND owner, const std::function<void(HWND about)>& onLinkClick);

}  // namespace iz::win32
