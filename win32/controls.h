#pragma once
// The one set of Win32 helpers of the view: child windows, fonts, window
// classes, tooltips, and typed one-line wrappers of the standard controls'
// messages, so that a call says what it sends. The main window and the two
// small windows build everything through these.
#include <string>

#include "win32/win.h"

namespace iz::win32 {

// --- Errors

// The system's text for an error code, without the trailing characters
// (its line break), or "error <code>" where the system has none.
std::string SystemErrorText(DWORD code, const char* trailing = "\r\n");

// --- Child windows

// What a child window is, by name: Child("BUTTON").Text("OK").At(x, y, w, h)
// .In(parent).Id(IDOK).Font(font). WS_CHILD is always added, WS_VISIBLE
// unless Hidden(). With Dpi(dpi) the place is in 96-DPI pixels and scaled
// (see ScaleRect); without it, in screen pixels.
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
  Child& Dpi(int dpi) { dpi_ = dpi; return *this; }
  Child& Hidden() { hidden_ = true; return *this; }
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
  int dpi_ = 0;
  bool hidden_ = false;
};

// A window's text; with trim, without the blanks at either end.
std::string WindowText(HWND hwnd, bool trim = false);

// Creates the child and gives it its font; a window that cannot be created
// raises Error with the system's reason.
HWND CreateChild(const Child& child);

// A window's children as a table, in their tab order: each row one child at
// a 96-DPI place (0, 0, 0, 0 for one that a WM_SIZE places), with the
// window's font or, where bold is set, its second one.
struct ChildRow {
  const char* className;
  const char* text;
  DWORD style;
  short x, y, w, h;
  short id;
  bool bold;
  DWORD exStyle;
};
// Creates the rows in parent, their handles into handles[0..n).
void CreateChildren(HWND parent, const ChildRow* rows, int n, int dpi, const HFONT fonts[2],
                    HWND* handles);
template <int n>
void CreateChildren(HWND parent, const ChildRow (&rows)[n], int dpi, const HFONT fonts[2],
                    HWND (&handles)[n]) {
  CreateChildren(parent, rows, n, dpi, fonts, handles);
}

// The list of a report window (the preview, the adapters, the modern TCP
// settings): report style, one row selected at a time, and the given
// extended styles where the common controls know them.
HWND MakeReportList(HWND list, DWORD extendedStyle);
// Adds n columns, the title of each `stride` bytes after the one before,
// and an empty one after them: a last
// column's automatic width fills the list instead of fitting its texts, so
// every shown column is sized (FitColumns) while another follows it.
void AddColumns(HWND list, const char* const* titles, int n, std::size_t stride);
// Each of the n columns as wide as its longest text, title included; the
// extra column goes. Returns the columns' width.
int FitColumns(HWND list, int n);

// --- DPI and fonts

// The DPI rule: every place and size of the view is written in pixels at 96
// DPI and becomes pixels on the screen as MulDiv(size, dpi, 96), with dpi the
// LOGPIXELSY of the screen (or of the window's monitor where the system
// scales per monitor); fonts are sized in points (MakeFont). At 96 DPI
// nothing changes.
inline constexpr int kDesignDpi = 96;
int ScreenDpi();
// The DPI the window is shown at: GetDpiForWindow where the system has it
// (Windows 10 and later, reached at run time), otherwise ScreenDpi().
int WindowDpi(HWND hwnd);
inline int Scale(int size, int dpi) { return MulDiv(size, dpi, kDesignDpi); }
// A 96-DPI rectangle on the screen: its edges are scaled, not its width and
// height, so that controls that touch, or sit inside one another, at 96 DPI
// still do at any DPI.
RECT ScaleRect(int x, int y, int w, int h, int dpi);
// Moves a child to a 96-DPI place scaled to dpi.
void PlaceChild(HWND child, int x, int y, int w, int h, int dpi);
// The outer size of a window for a client size at dpi
// (AdjustWindowRectExForDpi where the system has it).
SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, bool menu, DWORD exStyle,
                   int dpi);

// A font of the given size in points, owned by the caller. Its character
// height is MulDiv(points, dpi, 72), as Windows computes a point size: 8
// points is 11 pixels at 96 DPI and 16 at 144 (scaling the rounded 11
// would give 17, a font wider than the layout was made for).
HFONT MakeFont(const char* face, int points, bool bold, int dpi);

// The fonts of the main window: 8-point "MS Sans Serif", its bold variant for
// the status bar, and the title font of the labels on Panel1.
struct Fonts {
  HFONT normal = nullptr;
  HFONT bold = nullptr;
  HFONT title = nullptr;
  Fonts() = default;
  explicit Fonts(int dpi);
  ~Fonts();
  // Trades fonts with other: the old ones go with whichever is left last.
  void Swap(Fonts& other);
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

// --- Keyboard

// WM_NEXTDLGCTL for a top-level window that is not a dialog: the dialog
// keyboard handling (IsDialogMessage, a multi-line edit's Tab) asks the
// window for the next or previous tab stop, or a given control. A text
// field that gets the focus this way has its text selected, as in a dialog.
void MoveFocus(HWND top, WPARAM wParam, LPARAM lParam);

// True when the control with the focus acts on this key itself, so that a
// menu shortcut must not take it: F4 and Alt+Up/Down open a drop-down list,
// Ctrl+Z, X, C and V edit a text field, and anything a control asks for
// through WM_GETDLGCODE (a dropped-down list's Enter and Escape).
bool FocusUsesKey(const MSG& msg);

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
