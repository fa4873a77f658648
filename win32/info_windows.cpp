// The first-run notice (TAboutBox1), the about window (TAboutBox) and the
// preview of Optimize: plain top-level windows of standard controls, each run
// in a modal loop of its own and destroyed when it closes.
#include "win32/info_windows.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "help/links.h"
#include "preview/columns.h"
#include "resources/about_ids.h"
#include "win32/controls.h"
#include "win32/modal_window.h"
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
// The chosen row's whole location, on a line between the list and the buttons.
constexpr int kDetailHeight = 16, kDetailGap = 4;
constexpr int kButtonWidth = 75, kButtonHeight = 25, kButtonGap = 10, kButtonsFromBottom = 36;
// The list's sunken edges and vertical scroll bar (2 + 17 + 2), and a pixel
// for the rounding to 96 DPI.
constexpr int kListFrame = 22;

// The notice: the trailing blanks, the missing blank after "first." and the
// grammar are the text as it has always been shown.
constexpr const char* kNoticeText =
    "Before making any changes to your system, you should \r\n"
    "backup your registry first.To backup your registry go to \r\n"
    "Settings menu from this program and click \"Backup your\r\n"
    "settings\". \r\n"
    "\r\n"
    "Internet Zelvora offers 3 different automatic methods \r\n"
    "which will speed up your connection. You should try all\r\n"
    "3 of them to find out which one is the best for your \r\n"
    "configuration. These message will appear only once.";

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// The preview's controls, which follow its size, and its smallest size.
struct PreviewLayout {
  HWND summary = nullptr, list = nullptr, detail = nullptr, optimizeButton = nullptr,
       closeButton = nullptr;
  const PreviewReport* report = nullptr;
  int dpi = kDesignDpi;
};

// What one open window needs while its modal loop runs.
class InfoWindow : public ModalWindow {
 public:
  HICON icon = nullptr;
  HBITMAP side = nullptr;
  HWND link = nullptr;
  void (*onLinkClick)(void*, HWND) = nullptr;
  void* linkContext = nullptr;
  bool optimize = false;  // the preview was left by "&Optimize", the adapters by OK
  const PreviewLayout* preview = nullptr;  // in the preview only
  // The adapters window: its list, and the rows that OK gives the ticks to.
  HWND adapterList = nullptr;
  std::vector<AdapterRow>* adapterRows = nullptr;

  ~InfoWindow() override {
    Destroy();  // before what its controls show
    if (icon) DestroyIcon(icon);
    if (side) DeleteObject(side);
  }

 private:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// The preview's controls for a client area of width x height pixels, placed
// in 96-DPI pixels as everything else: the summary and the list take the
// width, the list the height, and the buttons keep to the bottom right.
void LayOutPreview(const PreviewLayout& layout, int width, int height) {
  const int dpi = layout.dpi;
  const int w = MulDiv(width, kDesignDpi, dpi), h = MulDiv(height, kDesignDpi, dpi);
  const int buttonsTop = h - kButtonsFromBottom, closeLeft = w - kMargin - kButtonWidth;
  PlaceChild(layout.summary, kMargin, kSummaryTop, w - 2 * kMargin, kSummaryHeight, dpi);
  const int detailTop = buttonsTop - kButtonGap - kDetailHeight;
  PlaceChild(layout.list, kMargin, kListTop, w - 2 * kMargin, detailTop - kDetailGap - kListTop,
             dpi);
  PlaceChild(layout.detail, kMargin, detailTop, w - 2 * kMargin, kDetailHeight, dpi);
  PlaceChild(layout.optimizeButton, closeLeft - kButtonGap - kButtonWidth, buttonsTop, kButtonWidth,
             kButtonHeight, dpi);
  PlaceChild(layout.closeButton, closeLeft, buttonsTop, kButtonWidth, kButtonHeight, dpi);
}

bool InfoWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // The preview's size: its controls follow it, down to its smallest.
  if (preview && msg == WM_SIZE) {
    LayOutPreview(*preview, LOWORD(lParam), HIWORD(lParam));
    return true;
  }
  if (preview && msg == WM_NOTIFY) {
    // The chosen row's whole location, which its column shows short.
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (change->hdr.hwndFrom == preview->list && change->hdr.code == LVN_ITEMCHANGED &&
        (change->uNewState & LVIS_FOCUSED) && change->iItem >= 0 &&
        static_cast<std::size_t>(change->iItem) < preview->report->changes.size()) {
      const std::string& where = preview->report->changes[change->iItem].location;
      std::string text = "Location: ";
      text += where;
      SetWindowTextA(preview->detail, text.c_str());
    }
    return false;
  }
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        // OK keeps the adapters' ticks, read before the window goes.
        for (std::size_t i = 0; adapterList && i < adapterRows->size(); ++i) {
          const LRESULT image = SendMessageA(adapterList, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
          (*adapterRows)[i].ticked = (image >> 12) == 2;
        }
        optimize = adapterList != nullptr;
        done = true;
        return true;
      }
      if (LOWORD(wParam) == kPreviewOptimizeId) {
        optimize = done = true;
        return true;
      }
      if (LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED && onLinkClick) {
        onLinkClick(linkContext, hwnd);
        return true;
      }
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      // The notice's text field reads as plain text on the window; the link
      // is blue. Everything else keeps the window's face colour.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, reinterpret_cast<HWND>(lParam) == link ? RGB(0, 0, 255)
                                                              : GetSysColor(COLOR_WINDOWTEXT));
      *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    case WM_SETCURSOR:
      if (link && reinterpret_cast<HWND>(wParam) == link) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        *result = TRUE;
        return true;
      }
      return false;
  }
  return false;
}

// The report lists' own procedure (one class, one procedure), and the one
// put in front of it: Right and Left scroll a list sideways, as the
// system's list does on some Windows and not on others, so that columns
// beyond the window's edge are reached by keyboard.
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK SideScrollingListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
    const int step = Scale(40, WindowDpi(hwnd));
    SendMessageA(hwnd, LVM_SCROLL, wParam == VK_LEFT ? -step : step, 0);
    return 0;
  }
  return CallWindowProcA(g_listProc, hwnd, msg, wParam, lParam);
}

void ScrollSidewaysByKeyboard(HWND list) {
  const LONG_PTR previous =
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SideScrollingListProc));
  if (!g_listProc) g_listProc = reinterpret_cast<WNDPROC>(previous);
}

// Puts the focus and the selection on a list's first row, so that the first
// Space or arrow acts on a row rather than on nothing.
void FocusFirstRow(HWND list) {
  if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) <= 0) return;
  LVITEMA item{};
  item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
}

// In the middle of the primary monitor's work area.
void CentreOnScreen(HWND hwnd) { CentreOver(hwnd, WorkArea()); }

// A child's rectangle in its window's client coordinates.
RECT ChildRect(HWND window, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The height a control's text takes at the given width in the control's own
// font, broken into words as an edit control breaks them.
int TextHeight(HWND control, int width) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  HDC dc = GetDC(control);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, width, 0};
  DrawTextA(dc, text.c_str(), length, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return r.bottom - r.top;
}

// Makes a control of text as tall as its text needs at its width, and the
// window as much taller: what lies below the control moves down, and what
// spans the window's whole height (the about box's side picture) grows. The
// layout's sizes hold for the font it was drawn for; where the font in use
// is wider (a machine without it, another DPI), the text would be cut.
void FitToText(HWND window, HWND control, bool edit) {
  const RECT box = ChildRect(window, control);
  const int height = box.bottom - box.top;
  RECT format{0, 0, box.right - box.left, height};
  if (edit) SendMessageA(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const int margins = height - (format.bottom - format.top);
  const int grow = TextHeight(control, format.right - format.left) + margins - height;
  if (grow <= 0) return;
  RECT client;
  GetClientRect(window, &client);
  constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const RECT r = ChildRect(window, c);
    if (c == control || (r.top <= box.top && r.bottom >= client.bottom)) {
      SetWindowPos(c, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + grow, kKeep | SWP_NOMOVE);
    } else if (r.top >= box.bottom) {
      SetWindowPos(c, nullptr, r.left, r.top + grow, 0, 0, kKeep | SWP_NOSIZE);
    }
  }
  RECT outer;
  GetWindowRect(window, &outer);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + grow,
               kKeep | SWP_NOMOVE);
}

}  // namespace

void ShowFirstRunNoticeWindow(HWND owner) {
  InfoWindow state;
  // OKButton comes first in the tab order, so it has the focus. Memo1: no
  // border, word wrap (no horizontal scrolling), the face colour. Read-only,
  // and a tab stop, so that the keyboard and a screen reader reach the text;
  // Enter in it still presses OK and Escape still closes (the edit asks its
  // parent, as in a dialog).
  static constexpr ChildRow kChildren[] = {
      {"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 101, 142, 75, 25, kOkButtonId},
      {"EDIT", kNoticeText, ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_TABSTOP, 8, 12, 273,
       129, kMemoId},
  };
  HWND c[2];
  HWND hwnd =
      state.Open(kNoticeClass, "Internet Zelvora 2.19", owner, 290, 174, false, kChildren, 2, c);
  FitToText(hwnd, c[1], true);
  CentreOnScreen(hwnd);
  state.defaultId = kOkButtonId;
  state.Run(owner, c[0]);
}

void ShowAboutWindow(HWND owner, void (*onLinkClick)(void* context, HWND about), void* context) {
  InfoWindow state;
  state.onLinkClick = onLinkClick;
  state.linkContext = context;
  // The side panel: a picture 41 pixels wide over the full height;
  // ProgramIcon: the program's icon drawn at 41 x 41; four lines of the
  // about window's font; the divider across the window, above the link.
  constexpr DWORD kText = SS_LEFT | SS_NOPREFIX;
  static constexpr ChildRow kChildren[] = {
      {"STATIC", "", SS_BITMAP, 0, 0, 41, 195},
      {"STATIC", "", SS_ICON, 52, 10, 41, 41},
      {"STATIC", "Internet Zelvora", kText, 104, 14, 200, 16, 0, true},
      {"STATIC", "Version 2.19", kText, 104, 34, 200, 16},
      {"STATIC", kAboutUndoLine, kText, 104, 56, 232, 56},
      {"STATIC", "", SS_ETCHEDHORZ, 52, 118, 284, 2},
      {"STATIC", "", kText | SS_NOTIFY, 52, 130, 284, 16, kLinkId, true},
      {"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 261, 162, 75, 25, kOkButtonId},
  };
  HWND c[std::size(kChildren)];
  HWND hwnd = state.Open(kAboutClass, "About Internet Zelvora", owner, 345, 195, false, kChildren,
                         static_cast<int>(std::size(kChildren)), c, true);
  const int dpi = state.dpi;
  const RECT sideRect = ScaleRect(0, 0, 41, 195, dpi);
  state.side =
      static_cast<HBITMAP>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDB_ABOUT_SIDE), IMAGE_BITMAP,
                                      sideRect.right, sideRect.bottom, LR_DEFAULTCOLOR));
  if (state.side) StaticBox(c[0]).SetBitmap(state.side);
  const int iconSize = Scale(41, dpi);
  state.icon = static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_MAINICON), IMAGE_ICON,
                                             iconSize, iconSize, LR_DEFAULTCOLOR));
  if (state.icon) StaticBox(c[1]).SetIcon(state.icon);
  state.link = c[6];
  std::string linkText = "Website: ";
  linkText += kPublisherSite;
  SetWindowTextA(state.link, linkText.c_str());
  Tooltip(hwnd).AddWindowTool(hwnd, state.link, "Internet Zelvora Website");
  // From the top down: each one's growth moves those below it.
  for (int i : {2, 3, 4, 6}) FitToText(hwnd, c[i], false);
  CentreOverOwner(hwnd, owner);
  state.defaultId = kOkButtonId;
  state.Run(owner, c[7]);
}

bool ShowPreviewWindow(HWND owner, const PreviewReport& report) {
  InfoWindow state;
  PreviewLayout layout;
  // Made at its smallest, then given its size: its controls are placed as
  // that size arrives (WM_SIZE). Close is the default: Enter only looks, it
  // never writes.
  static constexpr ChildRow kChildren[] = {
      {"STATIC", "", SS_LEFT | SS_NOPREFIX},
      {WC_LISTVIEWA, "",
       WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0, 0, 0, 0,
       kPreviewListId, false, WS_EX_CLIENTEDGE},
      {"STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS},
      {"BUTTON", "&Optimize", WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, kPreviewOptimizeId},
      {"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0, IDCANCEL},
  };
  HWND c[std::size(kChildren)];
  state.Open(kPreviewClass, "Preview Changes", owner, kPreviewMinWidth, kPreviewMinHeight, true,
             kChildren, static_cast<int>(std::size(kChildren)), c);
  const int dpi = layout.dpi = state.dpi;
  layout.summary = c[0], layout.list = c[1], layout.detail = c[2];
  layout.optimizeButton = c[3], layout.closeButton = c[4];
  const std::string summary = report.Summary();
  SetWindowTextA(layout.summary, summary.c_str());
  const Window list(MakeReportList(layout.list, LVS_EX_FULLROWSELECT));
  const int columns = static_cast<int>(kPreviewColumnCount);
  AddColumns(layout.list, &kPreviewColumns[0].title, columns, sizeof kPreviewColumns[0]);
  int row = 0;
  for (const PreviewLine& line : report.changes) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    for (int i = 0; i < columns; ++i) {
      const std::string text = kPreviewColumns[i].text(line);
      item.iSubItem = i;
      item.pszText = const_cast<char*>(text.c_str());
      list.Send(i == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, i == 0 ? 0 : row,
                reinterpret_cast<LPARAM>(&item));
    }
    ++row;
  }
  // Each column as wide as its longest text, so that no two rows look alike
  // for a cut-off text; the window wide enough for every column where the
  // screen allows: the margins, the list's edges and its scroll bar around
  // the columns.
  const int columnsWidth = FitColumns(layout.list, columns);
  ScrollSidewaysByKeyboard(layout.list);
  layout.report = &report;
  const int wanted = MulDiv(columnsWidth, kDesignDpi, dpi) + kListFrame + 2 * kMargin;
  state.preview = &layout;
  FocusFirstRow(layout.list);
  state.OpenSized(owner, std::max(kPreviewWidth, wanted), kPreviewHeight, kPreviewMinWidth,
                  kPreviewMinHeight, dpi);
  state.defaultId = IDCANCEL;
  state.Run(owner, layout.closeButton);
  return state.optimize;
}

bool ShowAdaptersWindow(HWND owner, std::vector<AdapterRow>* rows) {
  InfoWindow state;
  state.adapterRows = rows;
  static constexpr ChildRow kChildren[] = {
      {"STATIC",
       "Optimize sets the MTU of each ticked adapter. Restore Windows Defaults removes it; from "
       "Vista on it also sets 1500 through netsh.",
       SS_LEFT | SS_NOPREFIX, 8, 8, 368, 28},
      {WC_LISTVIEWA, "",
       WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 8, 40, 368,
       152, kAdapterListId, false, WS_EX_CLIENTEDGE},
      {"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 220, 203, 75, 25, IDOK},
      {"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 301, 203, 75, 25, IDCANCEL},
  };
  // Small enough for a 640 x 480 screen.
  HWND c[std::size(kChildren)];
  HWND hwnd = state.Open(kAdaptersClass, "Network Adapters", owner, 384, 236, false, kChildren,
                         static_cast<int>(std::size(kChildren)), c);
  const int dpi = state.dpi;
  state.adapterList = MakeReportList(c[1], LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  const Window list(state.adapterList);
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
  // The names as wide as the longest needs, never narrower than the
  // layout's; the list scrolls sideways (Right and Left too) past its edge.
  list.Send(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
  if (list.Send(LVM_GETCOLUMNWIDTH, 0) < Scale(190, dpi))
    list.Send(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(Scale(190, dpi), 0));
  ScrollSidewaysByKeyboard(state.adapterList);
  FocusFirstRow(state.adapterList);
  CentreOverOwner(hwnd, owner);
  state.defaultId = IDOK;
  state.Run(owner, state.adapterList);
  return state.optimize;
}

}  // namespace iz::win32
