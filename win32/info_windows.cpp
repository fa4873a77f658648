// The first-run notice (TAboutBox1), the about window (TAboutBox) and the
// preview of Optimize: plain top-level windows of standard controls, each run
// in a modal loop of its own and destroyed when it closes.
#include "win32/info_windows.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "help/links.h"
#include "resources/about_ids.h"
#include "store/error.h"
#include "win32/controls.h"
#include "win32/resource_ids.h"
#include "win32/work_area.h"

namespace iz::win32 {

namespace {

constexpr const char* kNoticeClass = "TAboutBox1";
constexpr const char* kAboutClass = "TAboutBox";
constexpr const char* kPreviewClass = "TPreviewForm";
constexpr const char* kAdaptersClass = "TAdaptersForm";
constexpr int kAdapterListId = 110;
constexpr int kOkButtonId = IDOK;
constexpr int kMemoId = 100;
constexpr int kLinkId = 101;
constexpr int kPreviewOptimizeId = 102;
constexpr int kPreviewListId = 103;

// The preview at 96 DPI: its client area when it opens (wider where its
// columns need it), the smallest it can be made, and the places of its
// controls from the edges.
constexpr int kPreviewWidth = 760, kPreviewHeight = 340;
constexpr int kPreviewMinWidth = 320, kPreviewMinHeight = 160;
constexpr int kMargin = 8, kSummaryTop = 10, kSummaryHeight = 16, kListTop = 32;
constexpr int kButtonWidth = 75, kButtonHeight = 25, kButtonGap = 10, kButtonsFromBottom = 36;
// The list's sunken edges and vertical scroll bar (2 + 17 + 2), and a pixel
// for the rounding to 96 DPI.
constexpr int kListFrame = 22;

// The preview's columns, left to right: each shows one text of a change.
struct PreviewColumn {
  const char* title;
  std::string PreviewLine::*text;
};
constexpr PreviewColumn kPreviewColumns[] = {
    {"Location", &PreviewLine::location},
    {"Value", &PreviewLine::value},
    {"Now", &PreviewLine::now},
    {"After Optimize", &PreviewLine::after},
    {"Read by this Windows", &PreviewLine::readBy},
};
constexpr int kPreviewColumnCount = static_cast<int>(std::size(kPreviewColumns));

// The notice, line by line: the trailing blanks, the missing blank after
// "first." and the grammar are the text as it has always been shown.
constexpr const char* kNoticeLines[] = {
    "Before making any changes to your system, you should ",
    "backup your registry first.To backup your registry go to ",
    "Settings menu from this program and click \"Backup your",
    "settings\". ",
    "",
    "Internet Zelvora offers 3 different automatic methods ",
    "which will speed up your connection. You should try all",
    "3 of them to find out which one is the best for your ",
    "configuration. These message will appear only once.",
};

std::string NoticeText() {
  std::string text = kNoticeLines[0];
  for (std::size_t i = 1; i < std::size(kNoticeLines); ++i) {
    text += "\r\n";
    text += kNoticeLines[i];
  }
  return text;
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// 8-point "MS Sans Serif".
HFONT MakeFont(bool bold, int dpi) { return win32::MakeFont("MS Sans Serif", 8, bold, dpi); }

struct PreviewLayout;

// What one open window needs while its modal loop runs.
struct WindowState {
  HFONT font = nullptr;
  HFONT boldFont = nullptr;
  HICON icon = nullptr;
  HBITMAP side = nullptr;
  HWND link = nullptr;
  const std::function<void(HWND)>* onLinkClick = nullptr;
  bool done = false;
  bool optimize = false;  // the preview was left by "&Optimize", the adapters by OK
  int defaultId = 0;      // the default button's; 0 while there is none
  const PreviewLayout* preview = nullptr;  // in the preview only
  // The adapters window: its list, and the rows that OK gives the ticks to.
  HWND adapterList = nullptr;
  std::vector<AdapterRow>* adapterRows = nullptr;

  ~WindowState() {
    if (font) DeleteObject(font);
    if (boldFont) DeleteObject(boldFont);
    if (icon) DestroyIcon(icon);
    if (side) DeleteObject(side);
  }
};

// The preview's controls, which follow its size, and its smallest size.
struct PreviewLayout {
  HWND summary = nullptr, list = nullptr, optimizeButton = nullptr, closeButton = nullptr;
  int dpi = kDesignDpi;
  SIZE minimum{};  // outer
};

WindowState* StateOf(HWND hwnd) {
  return reinterpret_cast<WindowState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// The preview's controls for a client area of width x height pixels, placed
// in 96-DPI pixels as everything else: the summary and the list take the
// width, the list the height, and the buttons keep to the bottom right.
void LayOutPreview(const PreviewLayout& layout, int width, int height) {
  const int dpi = layout.dpi;
  const int w = MulDiv(width, kDesignDpi, dpi), h = MulDiv(height, kDesignDpi, dpi);
  const int buttonsTop = h - kButtonsFromBottom, closeLeft = w - kMargin - kButtonWidth;
  PlaceChild(layout.summary, kMargin, kSummaryTop, w - 2 * kMargin, kSummaryHeight, dpi);
  PlaceChild(layout.list, kMargin, kListTop, w - 2 * kMargin, buttonsTop - kButtonGap - kListTop,
             dpi);
  PlaceChild(layout.optimizeButton, closeLeft - kButtonGap - kButtonWidth, buttonsTop, kButtonWidth,
             kButtonHeight, dpi);
  PlaceChild(layout.closeButton, closeLeft, buttonsTop, kButtonWidth, kButtonHeight, dpi);
}

LRESULT HandleInfoMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowState* state = StateOf(hwnd);
  if (LRESULT result;
      DialogKeyboard(hwnd, msg, wParam, lParam, state ? state->defaultId : 0, &result))
    return result;
  // The preview's size: its controls follow it, down to its smallest.
  if (const PreviewLayout* preview = state ? state->preview : nullptr) {
    if (msg == WM_SIZE) {
      LayOutPreview(*preview, LOWORD(lParam), HIWORD(lParam));
      return 0;
    }
    if (msg == WM_GETMINMAXINFO) {
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {preview->minimum.cx,
                                                               preview->minimum.cy};
      return 0;
    }
  }
  switch (msg) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      if (!state) break;
      if (LOWORD(wParam) == IDOK && state->adapterList) {
        // OK keeps the ticks, read before the window goes.
        for (std::size_t i = 0; i < state->adapterRows->size(); ++i) {
          const LRESULT image =
              SendMessageA(state->adapterList, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
          (*state->adapterRows)[i].ticked = (image >> 12) == 2;
        }
        state->optimize = true;
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        // OK, Enter and Escape all close with the same result.
        state->done = true;
        return 0;
      }
      if (LOWORD(wParam) == kPreviewOptimizeId) {
        state->optimize = state->done = true;
        return 0;
      }
      if (LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED && state->onLinkClick &&
          *state->onLinkClick) {
        (*state->onLinkClick)(hwnd);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (state) state->done = true;
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      // The notice's text field reads as plain text on the window; the link
      // is blue. Everything else keeps the window's face colour.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      if (state && reinterpret_cast<HWND>(lParam) == state->link) {
        SetTextColor(dc, RGB(0, 0, 255));
      } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      }
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (state && reinterpret_cast<HWND>(wParam) == state->link) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Nothing may unwind through the system's callback, the link's handler
// included; the main window reports its handlers' errors itself.
LRESULT CALLBACK InfoWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleInfoMessage(hwnd, msg, wParam, lParam);
  } catch (...) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

constexpr DWORD kFrameExStyle = WS_EX_DLGMODALFRAME;
DWORD FrameStyle(bool resizable) {
  return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
         (resizable ? WS_THICKFRAME | WS_MAXIMIZEBOX : 0);
}

HWND CreateFrame(const char* className, const char* caption, HWND owner, int clientWidth,
                 int clientHeight, int dpi, WindowState* state, bool resizable = false) {
  return CreateDialogFrame(className, InfoWindowProc, caption, owner, clientWidth, clientHeight,
                           dpi, state, resizable);
}

// In the middle of the primary monitor's work area.
void CentreOnScreen(HWND hwnd) { CentreOver(hwnd, WorkArea()); }

HWND AddOkButton(HWND parent, int x, int y, HFONT font, int dpi) {
  return CreateChild(Child("BUTTON")
                         .Text("OK")
                         .Style(WS_TABSTOP | BS_DEFPUSHBUTTON)
                         .At(x, y, 75, 25)
                         .Dpi(dpi)
                         .In(parent)
                         .Id(kOkButtonId)
                         .Font(font));
}

}  // namespace

HWND CreateDialogFrame(const char* className, WNDPROC proc, const char* caption, HWND owner,
                       int clientWidth, int clientHeight, int dpi, void* param, bool resizable) {
  RegisterWindowClass(className, proc);
  const DWORD style = FrameStyle(resizable);
  const SIZE size = WindowSizeFor(clientWidth, clientHeight, style, false, kFrameExStyle, dpi);
  HWND hwnd = CreateWindowExA(kFrameExStyle, className, caption, style, 0, 0, size.cx, size.cy,
                              owner, nullptr, Instance(), param);
  if (!hwnd) throw Error(std::string("Cannot create the window ") + caption);
  // The system menu of a fixed frame keeps only Move and Close; a resizable
  // one keeps the system's own (Minimize greyed, as the frame has no box).
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (menu && !resizable) {
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  }
  return hwnd;
}

void CentreOverOwner(HWND hwnd, HWND owner) {
  RECT over;
  if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &over)) {
    CentreOver(hwnd, over);
  } else {
    CentreOnScreen(hwnd);
  }
}

bool DialogKeyboard(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int defaultId,
                    LRESULT* result) {
  *result = 0;
  switch (msg) {
    // The dialog keyboard asks a window that is not a dialog for these too:
    // Enter in a text field presses the default button, and Tab moves on.
    // The default button stays the window's own, as a dialog keeps it: Tab
    // takes the default look from a button it leaves, and gives it back from
    // this answer when the focus lands on something other than a button.
    case DM_GETDEFID:
      if (defaultId) *result = MAKELRESULT(defaultId, DC_HASDEFID);
      return true;
    case WM_NEXTDLGCTL:
      MoveFocus(hwnd, wParam, lParam);
      return true;
  }
  return false;
}

void RunModal(HWND hwnd, HWND owner, HWND focus, const bool& done) {
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
    if (IsDialogMessageA(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The owner is enabled before the window goes away, so that it, and not
  // another program, becomes the active window again.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  DestroyWindow(hwnd);
  if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

void ShowFirstRunNoticeWindow(HWND owner) {
  WindowState state;
  const int dpi = WindowDpi(owner);
  state.font = MakeFont(false, dpi);
  HWND hwnd = CreateFrame(kNoticeClass, "Internet Zelvora 2.19", owner, 290, 174, dpi, &state);
  HWND ok = nullptr;
  try {
    // OKButton comes first in the tab order, so it has the focus.
    ok = AddOkButton(hwnd, 101, 142, state.font, dpi);
    // Memo1: no border, word wrap (no horizontal scrolling), the face colour.
    // Read-only, and a tab stop, so that the keyboard and a screen reader
    // reach the text; Enter in it still presses OK and Escape still closes
    // (the edit asks its parent, as in a dialog).
    const std::string notice = NoticeText();
    CreateChild(Child("EDIT")
                    .Text(notice.c_str())
                    .Style(ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_TABSTOP)
                    .At(8, 12, 273, 129)
                    .Dpi(dpi)
                    .In(hwnd)
                    .Id(kMemoId)
                    .Font(state.font));
    CentreOnScreen(hwnd);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
  state.defaultId = kOkButtonId;
  RunModal(hwnd, owner, ok, state.done);
}

void ShowAboutWindow(HWND owner, const std::function<void(HWND about)>& onLinkClick) {
  WindowState state;
  const int dpi = WindowDpi(owner);
  state.font = MakeFont(false, dpi);
  state.boldFont = MakeFont(true, dpi);
  state.onLinkClick = &onLinkClick;
  HWND hwnd = CreateFrame(kAboutClass, "About Internet Zelvora", owner, 345, 195, dpi, &state);
  HWND ok = nullptr;
  try {
    // The side panel: a picture 41 pixels wide over the full height.
    const RECT sideRect = ScaleRect(0, 0, 41, 195, dpi);
    state.side =
        static_cast<HBITMAP>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDB_ABOUT_SIDE), IMAGE_BITMAP,
                                        sideRect.right, sideRect.bottom, LR_DEFAULTCOLOR));
    const Child still = Child("STATIC").In(hwnd).Dpi(dpi);
    const StaticBox side(CreateChild(Child(still).Style(SS_BITMAP).At(0, 0, 41, 195)));
    if (state.side) side.SetBitmap(state.side);
    // ProgramIcon: the program's icon drawn at 41 x 41.
    const int iconSize = Scale(41, dpi);
    state.icon = static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_MAINICON),
                                               IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR));
    const StaticBox icon(CreateChild(Child(still).Style(SS_ICON).At(52, 10, 41, 41)));
    if (state.icon) icon.SetIcon(state.icon);
    const Child text = Child(still).Style(SS_LEFT | SS_NOPREFIX);
    CreateChild(Child(text).Text("Internet Zelvora").At(104, 14, 200, 16).Font(state.boldFont));
    CreateChild(Child(text).Text("Version 2.19").At(104, 34, 200, 16).Font(state.font));
    // Four lines of the about window's font.
    CreateChild(Child(text).Text(kAboutUndoLine).At(104, 56, 232, 56).Font(state.font));
    // The divider across the window, above the link.
    CreateChild(Child(still).Style(SS_ETCHEDHORZ).At(52, 118, 284, 2));
    const std::string linkText = std::string("Website: ") + kPublisherSite;
    state.link = CreateChild(Child(text)
                                 .Text(linkText.c_str())
                                 .Style(SS_LEFT | SS_NOPREFIX | SS_NOTIFY)
                                 .At(52, 130, 284, 16)
                                 .Id(kLinkId)
                                 .Font(state.boldFont));
    Tooltip(hwnd).AddWindowTool(hwnd, state.link, "Internet Zelvora Website");
    ok = AddOkButton(hwnd, 261, 162, state.font, dpi);
    CentreOverOwner(hwnd, owner);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
  state.defaultId = kOkButtonId;
  RunModal(hwnd, owner, ok, state.done);
}

bool ShowPreviewWindow(HWND owner, const PreviewReport& report) {
  WindowState state;
  PreviewLayout layout;
  layout.dpi = WindowDpi(owner);
  const int dpi = layout.dpi;
  state.font = MakeFont(false, dpi);
  // Made at its smallest, then given its size: its controls are placed as
  // that size arrives (WM_SIZE).
  HWND hwnd = CreateFrame(kPreviewClass, "Preview Changes", owner, kPreviewMinWidth,
                          kPreviewMinHeight, dpi, &state, true);
  try {
    const std::string summary = report.Summary();
    layout.summary = CreateChild(Child("STATIC")
                                     .Text(summary.c_str())
                                     .Style(SS_LEFT | SS_NOPREFIX)
                                     .In(hwnd)
                                     .Font(state.font));
    const Window list(CreateChild(
        Child(WC_LISTVIEWA)
            .Style(WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER)
            .ExStyle(WS_EX_CLIENTEDGE)
            .In(hwnd)
            .Id(kPreviewListId)
            .Font(state.font)));
    // Older common controls ignore the extended style; the list still reads.
    list.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    // One column more than shown: a last column's automatic width fills the
    // list instead of fitting its texts, so every shown column is sized
    // while another follows it, and the extra one then goes.
    for (int i = 0; i <= kPreviewColumnCount; ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_SUBITEM;
      column.pszText = const_cast<char*>(i < kPreviewColumnCount ? kPreviewColumns[i].title : "");
      column.iSubItem = i;
      list.Send(LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    int row = 0;
    for (const PreviewLine& line : report.changes) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = const_cast<char*>((line.*kPreviewColumns[0].text).c_str());
      list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
      for (int i = 1; i < kPreviewColumnCount; ++i) {
        item.iSubItem = i;
        item.pszText = const_cast<char*>((line.*kPreviewColumns[i].text).c_str());
        list.Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
      }
      ++row;
    }
    // Each column as wide as its longest text, title included, so that no
    // two rows look alike for a cut-off text.
    int columnsWidth = 0;
    for (int i = 0; i < kPreviewColumnCount; ++i) {
      list.Send(LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
      columnsWidth += static_cast<int>(list.Send(LVM_GETCOLUMNWIDTH, i));
    }
    list.Send(LVM_DELETECOLUMN, kPreviewColumnCount);
    layout.list = list.Handle();

    const Child button = Child("BUTTON").In(hwnd).Font(state.font);
    layout.optimizeButton = CreateChild(
        Child(button).Text("&Optimize").Style(WS_TABSTOP | BS_PUSHBUTTON).Id(kPreviewOptimizeId));
    // Close is the default: Enter only looks, it never writes.
    layout.closeButton =
        CreateChild(Child(button).Text("Close").Style(WS_TABSTOP | BS_DEFPUSHBUTTON).Id(IDCANCEL));

    // Wide enough for every column where the screen allows: the margins, the
    // list's edges and its scroll bar around the columns.
    const int wanted = MulDiv(columnsWidth, kDesignDpi, dpi) + kListFrame + 2 * kMargin;
    const SIZE size = WindowSizeFor(std::max(kPreviewWidth, wanted), kPreviewHeight,
                                    FrameStyle(true), false, kFrameExStyle, dpi);
    layout.minimum = WindowSizeFor(kPreviewMinWidth, kPreviewMinHeight, FrameStyle(true), false,
                                   kFrameExStyle, dpi);
    state.preview = &layout;
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOverOwner(hwnd, owner);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
  state.defaultId = IDCANCEL;
  RunModal(hwnd, owner, layout.closeButton, state.done);
  return state.optimize;
}

bool ShowAdaptersWindow(HWND owner, std::vector<AdapterRow>* rows) {
  WindowState state;
  const int dpi = WindowDpi(owner);
  state.font = MakeFont(false, dpi);
  state.adapterRows = rows;
  // Small enough for a 640 x 480 screen.
  HWND hwnd = CreateFrame(kAdaptersClass, "Network Adapters", owner, 384, 236, dpi, &state);
  try {
    const Child child = Child("STATIC").In(hwnd).Dpi(dpi).Font(state.font);
    CreateChild(Child(child)
                    .Text("Optimize writes the MTU into each ticked adapter, where this Windows "
                          "reads it. Restore Windows Defaults removes it again.")
                    .Style(SS_LEFT | SS_NOPREFIX)
                    .At(8, 8, 368, 28));
    state.adapterList = CreateChild(
        Child(child)
            .Class(WC_LISTVIEWA)
            .Text("")
            .Style(WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER)
            .ExStyle(WS_EX_CLIENTEDGE)
            .At(8, 40, 368, 152)
            .Id(kAdapterListId));
    const Window list(state.adapterList);
    list.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const char* const titles[] = {"Adapter", "MTU stored", "MTU in use"};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.pszText = const_cast<char*>(titles[i]);
      column.cx = Scale(i == 0 ? 190 : 80, dpi);
      column.iSubItem = i;
      list.Send(LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    int row = 0;
    for (const AdapterRow& r : *rows) {
      const std::string* texts[] = {&r.name, &r.storedMtu, &r.mtuInUse};
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = const_cast<char*>(texts[0]->c_str());
      list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
      for (int i = 1; i < 3; ++i) {
        item.iSubItem = i;
        item.pszText = const_cast<char*>(texts[i]->c_str());
        list.Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
      }
      item.stateMask = LVIS_STATEIMAGEMASK;
      item.state = INDEXTOSTATEIMAGEMASK(r.ticked ? 2 : 1);
      list.Send(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
      ++row;
    }
    const Child button = Child("BUTTON").In(hwnd).Dpi(dpi).Font(state.font);
    CreateChild(Child(button)
                    .Text("OK")
                    .Style(WS_TABSTOP | BS_DEFPUSHBUTTON)
                    .At(220, 203, 75, 25)
                    .Id(IDOK));
    CreateChild(Child(button)
                    .Text("Cancel")
                    .Style(WS_TABSTOP | BS_PUSHBUTTON)
                    .At(301, 203, 75, 25)
                    .Id(IDCANCEL));
    CentreOverOwner(hwnd, owner);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
  state.defaultId = IDOK;
  RunModal(hwnd, owner, state.adapterList, state.done);
  return state.optimize;
}

}  // namespace iz::win32
