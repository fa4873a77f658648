#pragma once
// The one set of Win32 helpers of the view: child windows, fonts, window
// classes, tooltips, and typed one-line wrappers of the standard controls'
// messages, so that a call says what it sends. The main window and the two
// small windows build everything through these.
#include <string>

#include "app/win32/win.h"

namespace iz::win32 {

// --- Errors

// The system's text for an error code, without its line break.
std::string SystemErrorText(DWORD code);

// --- Child windows

// What a child window is, by name: Child("BUTTON").Text("OK").At(x, y, w, h)
// .In(parent).Id(IDOK).Font(font). WS_CHILD | WS_VISIBLE are always added.
struct Child {
  explicit Child(const char* className) : className_(className) {}
  // One line each: they read as a table of the arguments.
  // clang-format off
  Child& Class(const char* className) { className_ = className; return *this; }
  Child& Text(const char* text) { text_ = text; return *this; }
  Child& Style(DWORD style) { style_ = style; return *this; }
  Child& ExStyle(DWORD exStyle) { exStyle_ = exStyle; return *this; }
  Child& At(int x, int y, int w, int h) { x_ = x, y_ = y, w_ = w, h_ = h; return *this; }
  Child& In(HWND parent) { parent_ = parent; return *this; }
  Child& Id(int id) { id_ = id; return *this; }
  Child& Font(HFONT font) { font_ = font; return *this; }
  // Passed to the window's WM_NCCREATE as CREATESTRUCT::lpCreateParams.
  Child& Param(void* param) { param_ = param; return *this; }
  // clang-format on

  const char* className_;
  const char* text_ = "";
  DWORD style_ = 0, exStyle_ = 0;
  int x_ = 0, y_ = 0, w_ = 0, h_ = 0;
  HWND parent_ = nullptr;
  int id_ = 0;
  HFONT font_ = nullptr;
  void* param_ = nullptr;
};

// Creates the child and gives it its font; a window that cannot be created
// raises Error with the system's reason.
HWND CreateChild(const Child& child);

// --- Fonts

// The DPI rule: every size of the view, font heights included, is written in
// pixels at 96 DPI and becomes pixels on the screen as MulDiv(size, dpi, 96).
// The main window passes kDesignDpi while its layout is not scaled, so its
// fonts keep the size its controls were laid out for; the small windows pass
// ScreenDpi(). At 96 DPI both are the same.
inline constexpr int kDesignDpi = 96;
int ScreenDpi();
inline int Scale(int size, int dpi) { return MulDiv(size, dpi, kDesignDpi); }

// A font of the given character height (8 points is 11 pixels at 96 DPI),
// owned by the caller.
HFONT MakeFont(const char* face, int heightAt96, bool bold, int dpi);

// The fonts of the main window: 8-point "MS Sans Serif", its bold variant for
// the status bar, and the title font of the labels on Panel1.
struct Fonts {
  HFONT normal = nullptr;
  HFONT bold = nullptr;
  HFONT title = nullptr;
  explicit Fonts(int dpi);
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
};

// --- Window classes

// Registers a window class of this module once (a class already registered
// is left as it is), with the button-face background and the arrow cursor.
// Raises Error with the system's reason when the class cannot be registered.
void RegisterWindowClass(const char* name, WNDPROC proc, int extraBytes = 0, HICON icon = nullptr,
                         HICON smallIcon = nullptr);

// A container without behaviour of its own: it paints the button face (and
// a raised bevel when asked) and sends WM_COMMAND, WM_NOTIFY and the
// WM_CTLCOLOR* messages of its children on to `target`, so that the main
// window handles every control in one place.
HWND CreatePanel(HWND parent, HWND target, int id, int x, int y, int w, int h, bool bevel);

// --- Typed messages, one line each

class Window {
 public:
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
    return SendMessageA(hwnd_, msg, wp, lp);
  }
  void SetFont(HFONT font, bool redraw = false) const {
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  }

 private:
  HWND hwnd_;
};

class Button : public Window {
 public:
  using Window::Window;
  bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
  void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
};

class EditBox : public Window {
 public:
  using Window::Window;
  void SetNoLimit() const { Send(EM_SETLIMITTEXT, 0); }
};

class ComboBox : public Window {
 public:
  using Window::Window;
  void AddString(const char* item) const { Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item)); }
  int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void SetCurSel(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
};

class StaticBox : public Window {
 public:
  using Window::Window;
  void SetBitmap(HBITMAP b) const { Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(b)); }
  void SetIcon(HICON icon) const { Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }
};

class StatusBar : public Window {
 public:
  using Window::Window;
  void SetSimple(bool simple) const { Send(SB_SIMPLE, simple); }
  void SetText(int part, const char* text) const {
    Send(SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  }
};

// A tooltip window for the tools of one parent window; a tooltip that cannot
// be created is not worth failing a window for, so its handle may be null and
// adding a tool to it then does nothing.
class Tooltip : public Window {
 public:
  // WS_POPUP | TTS_ALWAYSTIP plus extraStyle, topmost, owned by owner.
  Tooltip(HWND owner, DWORD extraStyle = 0);
  void SetMaxTipWidth(int width) const { Send(TTM_SETMAXTIPWIDTH, 0, width); }
  // How a tool sees the mouse: the tooltip subclasses the window, or the
  // message loop relays the mouse messages (TTM_RELAYEVENT).
  enum class Mouse { Subclass, Relayed };
  // A tool that is a child window of parent.
  void AddWindowTool(HWND parent, HWND tool, const char* text, Mouse mouse = Mouse::Subclass) const;
  // A rectangle of parent's client area, told apart by id.
  void AddRectTool(HWND parent, UINT_PTR id, const RECT& rect, const char* text,
                   Mouse mouse = Mouse::Subclass) const;
};

}  // namespace iz::win32
