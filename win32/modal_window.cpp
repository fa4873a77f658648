#include "win32/modal_window.h"

#include <initializer_list>
#include <string>

#include "store/error.h"
#include "win32/controls.h"
#include "win32/work_area.h"

namespace iz::win32 {

namespace {

// The dialog keyboard's questions to a window that is not a dialog:
// Enter in a text field presses the default button, and Tab moves on. The
// default button stays the window's own, as a dialog keeps it: Tab takes
// the default look from a button it leaves, and gives it back from this
// answer when the focus lands on something other than a button.
bool DialogKeyboard(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int defaultId,
                    LRESULT* result) {
  *result = 0;
  switch (msg) {
    case DM_GETDEFID:
      if (defaultId) *result = MAKELRESULT(defaultId, DC_HASDEFID);
      return true;
    case WM_NEXTDLGCTL:
      MoveFocus(hwnd, wParam, lParam);
      return true;
  }
  return false;
}

}  // namespace

DWORD DialogFrameStyle(bool resizable) {
  return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
         (resizable ? WS_THICKFRAME | WS_MAXIMIZEBOX : 0);
}

ModalWindow::~ModalWindow() {
  Destroy();
  for (HFONT f : {font, boldFont})
    if (f) DeleteObject(f);
}

void ModalWindow::Destroy() {
  if (hwnd) DestroyWindow(hwnd);
  hwnd = nullptr;
}

// Nothing may unwind through the system's callback, a window's own handlers
// included; the main window reports its handlers' errors itself.
LRESULT CALLBACK ModalWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<ModalWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // Before WM_NCCREATE, and for the messages of CreateWindowEx before it
    // returns, the window is the system's alone.
    if (!window) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (LRESULT result; DialogKeyboard(hwnd, msg, wParam, lParam, window->defaultId, &result))
      return result;
    if (msg == WM_GETMINMAXINFO && window->minimum.cx) {
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {window->minimum.cx,
                                                               window->minimum.cy};
      return 0;
    }
    if (LRESULT result = 0; window->OnMessage(msg, wParam, lParam, &result)) return result;
    if ((msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || msg == WM_CLOSE) {
      // "Close", Escape and the close box.
      window->done = true;
      return 0;
    }
  } catch (...) {
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND ModalWindow::Create(const char* className, const char* caption, HWND owner, int clientWidth,
                         int clientHeight, int dpi, bool resizable) {
  RegisterWindowClass(className, Proc);
  const DWORD style = DialogFrameStyle(resizable);
  const SIZE size =
      WindowSizeFor(clientWidth, clientHeight, style, false, kDialogFrameExStyle, dpi);
  hwnd = CreateWindowExA(kDialogFrameExStyle, className, caption, style, 0, 0, size.cx, size.cy,
                         owner, nullptr, GetModuleHandleA(nullptr), this);
  if (!hwnd) {
    std::string text = "Cannot create the window ";
    text += caption;
    throw Error(text);
  }
  // The system menu of a fixed frame keeps only Move and Close; a resizable
  // one keeps the system's own (Minimize greyed, as the frame has no box).
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (menu && !resizable) {
    for (UINT item : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
      DeleteMenu(menu, item, MF_BYCOMMAND);
  }
  return hwnd;
}

void ModalWindow::OpenSized(HWND owner, int width, int height, int minWidth, int minHeight,
                            int dpi) {
  const DWORD style = DialogFrameStyle(true);
  minimum = WindowSizeFor(minWidth, minHeight, style, false, kDialogFrameExStyle, dpi);
  const SIZE size = WindowSizeFor(width, height, style, false, kDialogFrameExStyle, dpi);
  SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOverOwner(hwnd, owner);
}

HWND ModalWindow::Open(const char* className, const char* caption, HWND owner, int clientWidth,
                       int clientHeight, bool resizable, const ChildRow* rows, int n, HWND* handles,
                       bool bold) {
  dpi = WindowDpi(owner);
  font = MakeFont("MS Sans Serif", 8, false, dpi);
  if (bold) boldFont = MakeFont("MS Sans Serif", 8, true, dpi);
  Create(className, caption, owner, clientWidth, clientHeight, dpi, resizable);
  const HFONT fonts[2] = {font, bold ? boldFont : font};
  CreateChildren(hwnd, rows, n, dpi, fonts, handles);
  return hwnd;
}

void ModalWindow::Run(HWND owner, HWND focus) {
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(focus);
  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (!done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = got == 0;
      quitCode = msg.wParam;
      break;
    }
    if (Intercept(msg) || IsDialogMessageA(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The owner is enabled before the window goes away, so that it, and not
  // another program, becomes the active window again.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  Destroy();
  if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

void CentreOverOwner(HWND hwnd, HWND owner) {
  RECT over;
  if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &over)) {
    CentreOver(hwnd, over);
  } else {
    CentreOver(hwnd, WorkArea());
  }
}

}  // namespace iz::win32
