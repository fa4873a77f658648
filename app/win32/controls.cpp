#include "app/win32/controls.h"

#include <initializer_list>

#include "store/error.h"

namespace iz::win32 {

namespace {

constexpr char kPanelClass[] = "TPanel";
constexpr int kTargetSlot = 0;
constexpr int kBevelSlot = sizeof(LONG_PTR);

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

[[noreturn]] void ThrowLastError(const std::string& what) {
  throw Error(what + ": " + SystemErrorText(GetLastError()));
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(hwnd, kTargetSlot, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      auto target = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, kTargetSlot));
      if (target) return SendMessageA(target, msg, wp, lp);
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (GetWindowLongPtrA(hwnd, kBevelSlot)) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

std::string SystemErrorText(DWORD code) {
  char* buffer = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : "error " + std::to_string(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

HWND CreateChild(const Child& c) {
  HWND child = CreateWindowExA(
      c.exStyle_, c.className_, c.text_, c.style_ | WS_CHILD | WS_VISIBLE, c.x_, c.y_, c.w_, c.h_,
      c.parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id_)), Instance(), c.param_);
  if (!child) ThrowLastError(std::string("Cannot create the control ") + c.className_);
  if (c.font_) Window(child).SetFont(c.font_);
  return child;
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi;
}

HFONT MakeFont(const char* face, int heightAt96, bool bold, int dpi) {
  // A negative height asks for the character height, not the cell height.
  return CreateFontA(-Scale(heightAt96, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

Fonts::Fonts(int dpi)
    // 8 points: MulDiv(8, 96, 72) = 11 pixels of character height at 96 DPI.
    : normal(MakeFont("MS Sans Serif", 11, false, dpi)),
      bold(MakeFont("MS Sans Serif", 11, true, dpi)),
      title(MakeFont("Arial", 21, true, dpi)) {}

Fonts::~Fonts() {
  for (HFONT f : {normal, bold, title})
    if (f) DeleteObject(f);
}

void RegisterWindowClass(const char* name, WNDPROC proc, int extraBytes, HICON icon,
                         HICON smallIcon) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExA(Instance(), name, &wc)) return;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = extraBytes;
  wc.hInstance = Instance();
  wc.hIcon = icon;
  wc.hIconSm = smallIcon;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  if (!RegisterClassExA(&wc))
    ThrowLastError(std::string("Cannot register the window class ") + name);
}

HWND CreatePanel(HWND parent, HWND target, int id, int x, int y, int w, int h, bool bevel) {
  RegisterWindowClass(kPanelClass, PanelProc, 2 * sizeof(LONG_PTR));
  HWND panel = CreateChild(Child(kPanelClass)
                               .Style(WS_CLIPSIBLINGS)
                               .ExStyle(WS_EX_CONTROLPARENT)
                               .At(x, y, w, h)
                               .In(parent)
                               .Id(id)
                               .Param(target));
  SetWindowLongPtrA(panel, kBevelSlot, bevel ? 1 : 0);
  return panel;
}

Tooltip::Tooltip(HWND owner, DWORD extraStyle)
    : Window(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | extraStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, Instance(), nullptr)) {}

namespace {
// The first version's size: every version of the common controls takes it,
// and nothing of the later fields is used.
TOOLINFOA ToolInfo(HWND parent, UINT flags, const char* text, Tooltip::Mouse mouse) {
  TOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = flags | (mouse == Tooltip::Mouse::Subclass ? TTF_SUBCLASS : 0);
  info.hwnd = parent;
  info.lpszText = const_cast<char*>(text);
  return info;
}
}  // namespace

void Tooltip::AddWindowTool(HWND parent, HWND tool, const char* text, Mouse mouse) const {
  if (!Handle()) return;
  TOOLINFOA info = ToolInfo(parent, TTF_IDISHWND, text, mouse);
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltip::AddRectTool(HWND parent, UINT_PTR id, const RECT& rect, const char* text,
                          Mouse mouse) const {
  if (!Handle()) return;
  TOOLINFOA info = ToolInfo(parent, 0, text, mouse);
  info.uId = id;
  info.rect = rect;
  Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace iz::win32
