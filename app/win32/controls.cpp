#include "app/win32/controls.h"

#include <initializer_list>

namespace iz::win32 {

namespace {

constexpr char kPanelClass[] = "TPanel";
constexpr int kTargetSlot = 0;
constexpr int kBevelSlot = sizeof(LONG_PTR);

HFONT MakeFont(int height, int weight, const char* face) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
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

void RegisterPanelClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = PanelProc;
  wc.cbWndExtra = 2 * sizeof(LONG_PTR);
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPanelClass;
  registered = RegisterClassExA(&wc) != 0;
}

}  // namespace

Fonts::Fonts()
    // 8 points at 96 DPI: -MulDiv(8, 96, 72) = -11 pixels of character height.
    : normal(MakeFont(-11, FW_NORMAL, "MS Sans Serif")),
      bold(MakeFont(-11, FW_BOLD, "MS Sans Serif")),
      title(MakeFont(-21, FW_BOLD, "Arial")) {}

Fonts::~Fonts() {
  for (HFONT f : {normal, bold, title})
    if (f) DeleteObject(f);
}

HWND CreatePanel(HWND parent, HWND target, int id, int x, int y, int w, int h, bool bevel) {
  RegisterPanelClass();
  HWND panel = CreateWindowExA(
      WS_EX_CONTROLPARENT, kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), target);
  if (panel) SetWindowLongPtrA(panel, kBevelSlot, bevel ? 1 : 0);
  return panel;
}

HWND CreateChild(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
                 int w, int h, HWND parent, int id, HFONT font) {
  HWND child = CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, w, h,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

}  // namespace iz::win32
