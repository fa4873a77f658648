#include "win32/adapters_window.h"

#include <iphlpapi.h>

#include <string>

#include "store/error.h"
#include "win32/controls.h"
#include "win32/late_bound.h"

namespace iz::win32 {

namespace {

constexpr const char* kAdaptersClass = "TAdaptersForm";
constexpr int kListId = 110;
// 96-DPI pixels: small enough for a 640 x 480 screen.
constexpr int kClientWidth = 384;
constexpr int kClientHeight = 236;

struct State {
  bool done = false;
  bool ok = false;
};

LRESULT CALLBACK AdaptersProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(
          hwnd, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      break;
    case WM_COMMAND:
      // OK and Enter keep the choice; Cancel and Escape do not.
      if (state && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        state->ok = LOWORD(wParam) == IDOK;
        state->done = true;
        return 0;
      }
      break;
    case WM_CLOSE:
      if (state) state->done = true;
      return 0;
    case WM_NEXTDLGCTL:
      MoveFocus(hwnd, wParam, lParam);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Centred over owner, then moved inside the work area of owner's monitor
// (the system's one work area where it knows no monitors).
void PlaceOver(HWND hwnd, HWND owner) {
  RECT own, over, work;
  GetWindowRect(hwnd, &own);
  if (!owner || !GetWindowRect(owner, &over)) {
    over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
  using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);
  static const auto monitorFromWindow =
      SystemFunction<MonitorFromWindowFn>("user32.dll", "MonitorFromWindow");
  static const auto getMonitorInfo =
      SystemFunction<GetMonitorInfoFn>("user32.dll", "GetMonitorInfoA");
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (monitorFromWindow && getMonitorInfo &&
      getMonitorInfo(monitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  } else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = over;
  }
  const int width = own.right - own.left, height = own.bottom - own.top;
  int x = over.left + (over.right - over.left - width) / 2;
  int y = over.top + (over.bottom - over.top - height) / 2;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AddRow(const Window& list, int row, const AdapterRow& r) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<char*>(r.name.c_str());
  list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  const std::string* texts[] = {&r.storedMtu, &r.mtuInUse};
  for (int i = 0; i < 2; ++i) {
    item.iSubItem = i + 1;
    item.pszText = const_cast<char*>(texts[i]->c_str());
    list.Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  }
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(r.ticked ? 2 : 1);
  list.Send(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

bool ShowAdaptersWindow(HWND owner, std::vector<AdapterRow>* rows) {
  State state;
  const int dpi = WindowDpi(owner);
  struct Font {  // deleted on every path, after the window that uses it
    HFONT font;
    ~Font() { DeleteObject(font); }
  } font{MakeFont("MS Sans Serif", 8, false, dpi)};
  RegisterWindowClass(kAdaptersClass, AdaptersProc);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const SIZE size = WindowSizeFor(kClientWidth, kClientHeight, style, false, WS_EX_DLGMODALFRAME, dpi);
  HWND hwnd = CreateWindowExA(WS_EX_DLGMODALFRAME, kAdaptersClass, "Network Adapters", style, 0, 0,
                              size.cx, size.cy, owner, nullptr, GetModuleHandleA(nullptr), &state);
  if (!hwnd) throw Error("Cannot create the window Network Adapters");
  HWND list = nullptr;
  try {
    const Child child = Child("STATIC").In(hwnd).Dpi(dpi).Font(font.font);
    CreateChild(Child(child)
                    .Text("Optimize writes the MTU into each ticked adapter, where this Windows "
                          "reads it. Restore Windows Defaults removes it again.")
                    .Style(SS_LEFT | SS_NOPREFIX)
                    .At(8, 8, 368, 28));
    list = CreateChild(Child(child)
                           .Class(WC_LISTVIEWA)
                           .Text("")
                           .Style(WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                  LVS_NOSORTHEADER)
                           .ExStyle(WS_EX_CLIENTEDGE)
                           .At(8, 40, 368, 152)
                           .Id(kListId));
    const Window view(list);
    view.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const struct {
      const char* title;
      int width;
    } columns[] = {{"Adapter", 190}, {"MTU stored", 80}, {"MTU in use", 80}};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.pszText = const_cast<char*>(columns[i].title);
      column.cx = Scale(columns[i].width, dpi);
      column.iSubItem = i;
      view.Send(LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    for (std::size_t i = 0; i < rows->size(); ++i) AddRow(view, static_cast<int>(i), (*rows)[i]);
    const Child button = Child("BUTTON").In(hwnd).Dpi(dpi).Font(font.font);
    CreateChild(Child(button).Text("OK").Style(WS_TABSTOP | BS_DEFPUSHBUTTON).At(220, 203, 75, 25).Id(IDOK));
    CreateChild(Child(button).Text("Cancel").Style(WS_TABSTOP | BS_PUSHBUTTON).At(301, 203, 75, 25).Id(IDCANCEL));
    PlaceOver(hwnd, owner);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }

  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(list);
  MSG msg;
  bool quit = false;
  while (!state.done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = got == 0;
      break;
    }
    if (IsDialogMessageA(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (state.ok) {
    for (std::size_t i = 0; i < rows->size(); ++i) {
      const LRESULT image = SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
      (*rows)[i].ticked = (image >> 12) == 2;
    }
  }
  // The owner first, so that it and not another program is activated next.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  DestroyWindow(hwnd);
  if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return state.ok && !quit;
}

std::vector<MtuInUse> QueryMtusInUse() {
  using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
  using GetIfEntryFn = DWORD(WINAPI*)(PMIB_IFROW);
  const auto getAdaptersInfo = SystemFunction<GetAdaptersInfoFn>("iphlpapi.dll", "GetAdaptersInfo");
  const auto getIfEntry = SystemFunction<GetIfEntryFn>("iphlpapi.dll", "GetIfEntry");
  std::vector<MtuInUse> found;
  if (!getAdaptersInfo || !getIfEntry) return found;
  ULONG size = 0;
  if (getAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return found;
  std::vector<unsigned char> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (getAdaptersInfo(first, &size) != NO_ERROR) return found;
  for (const IP_ADAPTER_INFO* a = first; a; a = a->Next) {
    MIB_IFROW row{};
    row.dwIndex = a->Index;
    if (getIfEntry(&row) == NO_ERROR) found.push_back({a->AdapterName, row.dwMtu});
  }
  return found;
}

}  // namespace iz::win32
