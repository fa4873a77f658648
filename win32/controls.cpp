#include "win32/controls.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "store/error.h"
#include "win32/late_bound.h"

namespace iz::win32 {

namespace {

constexpr char kPanelClass[] = "TPanel";
constexpr int kTargetSlot = 0;
constexpr int kBevelSlot = sizeof(LONG_PTR);

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// "what name: the system's reason".
[[noreturn]] void ThrowLastError(const char* what, const char* name) {
  std::string text = what;
  text += name;
  text += ": ";
  text += SystemErrorText(GetLastError());
  throw Error(text);
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

std::string SystemErrorText(DWORD code, const char* trailing) {
  char* buffer = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (n && buffer) text.assign(buffer, n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && std::memchr(trailing, text.back(), std::strlen(trailing)))
    text.pop_back();
  if (text.empty()) {
    text = "error ";
    text += std::to_string(code);
  }
  return text;
}

std::string WindowText(HWND hwnd, bool trim) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  const int n = GetWindowTextA(hwnd, &text[0], static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  if (!trim) return text;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

HWND CreateChild(const Child& c) {
  RECT r{c.x_, c.y_, c.x_ + c.w_, c.y_ + c.h_};
  if (c.dpi_) r = ScaleRect(c.x_, c.y_, c.w_, c.h_, c.dpi_);
  const DWORD style = c.style_ | WS_CHILD | (c.hidden_ ? 0 : WS_VISIBLE);
  HWND child = CreateWindowExA(
      c.exStyle_, c.className_, c.text_, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
      c.parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id_)), Instance(), c.param_);
  if (!child) ThrowLastError("Cannot create the control ", c.className_);
  if (c.font_) Window(child).SetFont(c.font_);
  return child;
}

void CreateChildren(HWND parent, const ChildRow* rows, int n, int dpi, const HFONT fonts[2],
                    HWND* handles) {
  for (int i = 0; i < n; ++i) {
    const ChildRow& r = rows[i];
    handles[i] = CreateChild(Child(r.className)
                                 .Text(r.text)
                                 .Style(r.style)
                                 .ExStyle(r.exStyle)
                                 .At(r.x, r.y, r.w, r.h)
                                 .Dpi(dpi)
                                 .In(parent)
                                 .Id(r.id)
                                 .Font(fonts[r.bold]));
  }
}

HWND MakeReportList(HWND list, DWORD extendedStyle) {
  // Older common controls ignore the extended style; the list still reads.
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
  return list;
}

void AddColumns(HWND list, const char* const* titles, int n, std::size_t stride) {
  for (int i = 0; i <= n; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText =
        const_cast<char*>(i < n ? *reinterpret_cast<const char* const*>(
                                      reinterpret_cast<const char*>(titles) + i * stride)
                                : "");
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

int FitColumns(HWND list, int n) {
  int width = 0;
  for (int i = 0; i < n; ++i) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    width += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
  }
  SendMessageA(list, LVM_DELETECOLUMN, n, 0);
  return width;
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi;
}

namespace {
// Functions that Windows 10 added, looked up once: the program also runs
// where user32 lacks them, so it must not import them.
struct PerMonitorDpi {
  UINT(WINAPI* getDpiForWindow)
  (HWND) = SystemFunction<UINT(WINAPI*)(HWND)>("user32.dll", "GetDpiForWindow");
  BOOL(WINAPI* adjustWindowRectExForDpi)
  (RECT*, DWORD, BOOL, DWORD, UINT) =
      SystemFunction<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("user32.dll",
                                                                     "AdjustWindowRectExForDpi");
};
const PerMonitorDpi& PerMonitor() {
  static const PerMonitorDpi functions;
  return functions;
}
}  // namespace

int WindowDpi(HWND hwnd) {
  if (hwnd && PerMonitor().getDpiForWindow)
    if (const UINT dpi = PerMonitor().getDpiForWindow(hwnd)) return static_cast<int>(dpi);
  return ScreenDpi();
}

RECT ScaleRect(int x, int y, int w, int h, int dpi) {
  return RECT{Scale(x, dpi), Scale(y, dpi), Scale(x + w, dpi), Scale(y + h, dpi)};
}

void PlaceChild(HWND child, int x, int y, int w, int h, int dpi) {
  const RECT r = ScaleRect(x, y, w, h, dpi);
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, bool menu, DWORD exStyle,
                   int dpi) {
  RECT r{0, 0, Scale(clientWidth, dpi), Scale(clientHeight, dpi)};
  if (!PerMonitor().adjustWindowRectExForDpi ||
      !PerMonitor().adjustWindowRectExForDpi(&r, style, menu, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, menu, exStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT MakeFont(const char* face, int points, bool bold, int dpi) {
  // A negative height asks for the character height, not the cell height.
  return CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

Fonts::Fonts(int dpi)
    // The title: 21 pixels at 96 DPI.
    : normal(MakeFont("MS Sans Serif", 8, false, dpi)),
      bold(MakeFont("MS Sans Serif", 8, true, dpi)),
      title(MakeFont("Arial", 16, true, dpi)) {}

void Fonts::Swap(Fonts& other) {
  std::swap(normal, other.normal);
  std::swap(bold, other.bold);
  std::swap(title, other.title);
}

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
  if (!RegisterClassExA(&wc)) ThrowLastError("Cannot register the window class ", name);
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

void MoveFocus(HWND top, WPARAM wParam, LPARAM lParam) {
  HWND focus = GetFocus();
  if (focus && !IsChild(top, focus)) focus = nullptr;
  HWND target = lParam ? reinterpret_cast<HWND>(wParam)
                       : GetNextDlgTabItem(top, focus, wParam != 0 ? TRUE : FALSE);
  if (!target) return;
  if (!lParam && SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
    SendMessageA(target, EM_SETSEL, 0, -1);
  SetFocus(target);
}

namespace {
bool IsClass(HWND hwnd, const char* name) {
  char cls[32] = {};
  return hwnd && GetClassNameA(hwnd, cls, sizeof(cls)) && lstrcmpiA(cls, name) == 0;
}
}  // namespace

bool FocusUsesKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  HWND focus = GetFocus();
  if (!focus) return false;
  const WPARAM key = msg.wParam;
  // The edit field of a drop-down combo box belongs to the combo box.
  const bool inCombo = IsClass(focus, "ComboBox") || IsClass(GetParent(focus), "ComboBox");
  const bool alt = (msg.lParam & (1L << 29)) != 0;
  if (inCombo && (key == VK_F4 || (alt && (key == VK_UP || key == VK_DOWN)))) return true;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (IsClass(focus, "Edit") && ctrl && !alt &&
      (key == 'Z' || key == 'X' || key == 'C' || key == 'V'))
    return true;
  MSG copy = msg;
  const LRESULT code = SendMessageA(focus, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&copy));
  return (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
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
