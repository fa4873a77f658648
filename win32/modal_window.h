#pragma once
// What the small modal windows share: a dialog frame, its one window
// procedure and its modal loop. Each window is a ModalWindow that adds only
// what it handles itself; Escape, "Close" (IDCANCEL) and the close box end
// every one of them the same way, the dialog keyboard works in all of them,
// and nothing unwinds through the system's callback.
#include "win32/controls.h"
#include "win32/win.h"

namespace iz::win32 {

// The frame's styles, for sizing a window before or after it is made.
inline constexpr DWORD kDialogFrameExStyle = WS_EX_DLGMODALFRAME;
DWORD DialogFrameStyle(bool resizable);

class ModalWindow {
 public:
  ModalWindow() = default;
  ModalWindow(const ModalWindow&) = delete;
  ModalWindow& operator=(const ModalWindow&) = delete;
  // Destroys the window where it is still open: a window left by an error
  // while it was being filled goes with its state.
  virtual ~ModalWindow();

  // A dialog frame with the close box, of the given client size (96-DPI
  // pixels, scaled to dpi), its class registered with the shared procedure.
  // Fixed, or resizable: a sizing border and a maximise box. Raises Error
  // when it cannot be created.
  HWND Create(const char* className, const char* caption, HWND owner, int clientWidth,
              int clientHeight, int dpi, bool resizable = false);
  // Runs the window until done is set: the owner is disabled while it is
  // open, keyboard navigation works as in a dialog, and a quit request that
  // arrives meanwhile is passed on to the caller's loop. The window is
  // destroyed on every path and the owner becomes the active window again.
  void Run(HWND owner, HWND focus);
  // Create at the owner's DPI, with the window's 8-point font (and its bold
  // one where bold is set), then its children from the table, their handles
  // into handles.
  HWND Open(const char* className, const char* caption, HWND owner, int clientWidth,
            int clientHeight, bool resizable, const ChildRow* rows, int n, HWND* handles,
            bool bold = false);

  // A resizable window, made at its smallest: that smallest size, then the
  // client size it opens at, centred over the owner.
  void OpenSized(HWND owner, int width, int height, int minWidth, int minHeight, int dpi);

  HWND hwnd = nullptr;
  HFONT font = nullptr;      // deleted with the state
  HFONT boldFont = nullptr;  // deleted with the state
  int dpi = kDesignDpi;      // the owner's, once Open made the window
  SIZE minimum{};            // outer, once OpenSized gave it
  int defaultId = 0;         // the default button's; 0 while there is none
  bool done = false;

 protected:
  void Destroy();
  // A message to this window, before the shared handling: true, with
  // *result, when the window handled it. May throw; the shared procedure
  // then lets the system handle the message.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    (void)msg, (void)wParam, (void)lParam, (void)result;
    return false;
  }
  // A message of the window's loop before the dialog keyboard sees it: true
  // when the window took it, such as a shortcut of its own.
  virtual bool Intercept(const MSG& msg) {
    (void)msg;
    return false;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Over the owner while it is on screen, otherwise in the middle of the
// screen; fitted into the work area of its monitor (win32/work_area.h),
// made smaller where it is larger.
void CentreOverOwner(HWND hwnd, HWND owner);

}  // namespace iz::win32
