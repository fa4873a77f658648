#pragma once
// The small modal windows: the first-run notice (TAboutBox1), the about
// window (TAboutBox) and the preview of Optimize. Each is created when shown
// and destroyed when closed.
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
// website link is clicked, with the about window's handle (the shell launch's
// owner).
void ShowAboutWindow(HWND owner, const std::function<void(HWND about)>& onLinkClick);

// The "Preview Changes" window centred over owner: the summary line and the
// changes in a list whose columns fit their texts, the window as wide as
// they need where the screen allows, and resizable. True when it was left
// by "&Optimize", false by "Close", Escape or the close box.
bool ShowPreviewWindow(HWND owner, const PreviewReport& report);

// The "Network Adapters" window centred over owner: one row per adapter with
// its box, name, stored MTU and MTU in use. True when left by OK, with each
// row's tick as the user left it; Cancel, Escape and the close box keep none.
bool ShowAdaptersWindow(HWND owner, std::vector<AdapterRow>* rows);

// --- What the small windows share, here and in files of their own.

// A dialog frame with the close box, of the given client size (96-DPI
// pixels, scaled to dpi), its class registered with proc; param reaches
// WM_NCCREATE. Fixed, or resizable: a sizing border and a maximise box.
// Raises Error when it cannot be created.
HWND CreateDialogFrame(const char* className, WNDPROC proc, const char* caption, HWND owner,
                       int clientWidth, int clientHeight, int dpi, void* param,
                       bool resizable = false);
// Over the owner while it is on screen, otherwise in the middle of the
// screen; fitted into the work area of its monitor (win32/work_area.h),
// made smaller where it is larger.
void CentreOverOwner(HWND hwnd, HWND owner);
// The dialog keyboard's questions to a window that is not a dialog
// (DM_GETDEFID, WM_NEXTDLGCTL): true, with the answer, when msg is one.
// defaultId is the window's default button (0: none).
bool DialogKeyboard(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int defaultId,
                    LRESULT* result);
// Runs the window until done is set: the owner is disabled while it is open,
// keyboard navigation works as in a dialog, and a quit request that arrives
// meanwhile is passed on to the caller's loop. The window is destroyed on
// every path.
void RunModal(HWND hwnd, HWND owner, HWND focus, const bool& done);

}  // namespace iz::win32
