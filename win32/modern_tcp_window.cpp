#include "win32/modern_tcp_window.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "model/title.h"
#include "win32/controls.h"
#include "win32/modal_window.h"
#include "win32/resource_ids.h"

namespace iz::win32 {

namespace {

constexpr const char* kClass = "TModernTcpForm";
constexpr int kListId = 100, kValueLabelId = 101, kValueId = 102, kDefaultsId = 103, kApplyId = 104,
              kEffectId = 105, kNumberId = 106;
constexpr const char* kNotDocumented = "not documented";
constexpr const char* kWaiting = "Waiting for netsh...";
// Posted by the worker once its work is done.
constexpr UINT kDone = WM_APP + 1;
// Starts the worker.
constexpr UINT kRun = WM_APP + 2;

// At 96 DPI: the client area when it opens (wider where the columns need
// it), the smallest it can be made, and the places of the controls from the
// edges: the note on top, the list, the selected row's effect, the new
// value's field, the buttons.
constexpr int kWidth = 600, kHeight = 420, kMinWidth = 420, kMinHeight = 300;
constexpr int kMargin = 8, kNoteTop = 10, kNoteHeight = 16, kListTop = 32;
constexpr int kValueFromBottom = 68, kLabelWidth = 220, kFieldWidth = 180, kFieldDrop = 160,
              kEditHeight = 21;
// The effect's box: at least three lines, at most what leaves the list this
// much; in between as high as the longest row's text needs.
constexpr int kEffectLeast = 44, kListLeast = 60;
constexpr int kButtonWidth = 75, kDefaultsWidth = 110, kButtonHeight = 25, kButtonGap = 10,
              kButtonsFromBottom = 36;
// The list's sunken edges and vertical scroll bar, and a pixel for rounding.
constexpr int kListFrame = 22;

// The effect is shown below the list, wrapped: as a column it made the
// window as wide as the screen and was still cut.
constexpr const char* kColumns[] = {"Setting", "In force", "Default", "New value"};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
enum Column { kName, kInForce, kDefault, kNew };
// Beside a cell's or a title's text: the list's and the header's own margins.
constexpr int kCellPadding = 16, kFirstCellPadding = 8;

bool Hurts(const TcpSettingRow& row, const std::string& value) {
  return std::find(row.hurts.begin(), row.hurts.end(), value) != row.hurts.end();
}

// A value as the window shows it: what hurts in common use says so.
std::string Shown(const TcpSettingRow& row, const std::string& value) {
  std::string text = value;
  if (Hurts(row, value)) text += " (hurts)";
  return text;
}

// The selected row's text below the list: what it does, which values hurt,
// and where the default comes from. Line breaks as the edit field shows them.
std::string EffectText(const TcpSettingRow& row) {
  std::string text = row.name + ": " + row.effect;
  if (!row.hurts.empty()) {
    text += "\nHurts in common use: ";
    for (std::size_t i = 0; i < row.hurts.size(); ++i) text += (i ? ", " : "") + row.hurts[i];
    text += '.';
  }
  if (!row.source.empty()) text += "\nDefault (" + row.defaultValue + "), from: " + row.source;
  std::string shown;
  for (char c : text) {
    if (c == '\n') shown += '\r';
    if (c != '\r') shown += c;
  }
  return shown;
}

// Why a typed number is not taken; empty when it is. Plain decimal only:
// netsh would take "0300" as 300, but the journal compares values as text.
std::string NumberFault(const TcpSettingRow& row, const std::string& text) {
  bool plain = !text.empty() && text.size() <= 10 && (text[0] != '0' || text.size() == 1);
  unsigned long long n = 0;
  for (char c : text) {
    plain = plain && c >= '0' && c <= '9';
    if (plain) n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (plain && n >= row.minimum && n <= row.maximum) return std::string();
  return "\"" + row.name + "\" takes a number from " + std::to_string(row.minimum) + " to " +
         std::to_string(row.maximum) + ", not \"" + text + "\".";
}

// The width of a line of text in the control's font, in pixels.
int TextWidth(HWND control, const std::string& text) {
  HDC dc = GetDC(control);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT r{};
  DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return r.right - r.left;
}

// The height the text needs wrapped at a width, in the control's font.
int TextHeight(HWND control, const std::string& text, int width) {
  HDC dc = GetDC(control);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, width, 0};
  DrawTextA(dc, text.c_str(), -1, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return r.bottom - r.top;
}

// The reading and each Apply run on a thread of their own, as netsh may
// take up to its time limit: the window meanwhile stays movable and
// redrawn. The worker has its own copy of the rows and gives them back
// with its message.
struct Work {
  const Platform::TcpRowsWork* run = nullptr;
  bool reading = false;
  std::vector<TcpSettingRow> rows;
  std::string said;
  HWND window = nullptr;

  static DWORD WINAPI Run(void* self) {
    auto* work = static_cast<Work*>(self);
    try {
      work->said = (*work->run)(&work->rows);
    } catch (...) {
      // The work reports its own failures through the command's error
      // report; one that escapes leaves the rows as they were, and a
      // reading that ends so closes the window.
    }
    PostMessageA(work->window, kDone, 0, 0);
    return 0;
  }
};

class TcpWindow : public ModalWindow {
 public:
  std::vector<TcpSettingRow>* rows = nullptr;
  const Platform::TcpRowsWork* apply = nullptr;
  HWND note = nullptr, list = nullptr, effect = nullptr, valueLabel = nullptr, value = nullptr,
       number = nullptr, defaults = nullptr, applyButton = nullptr, close = nullptr;
  bool laidOut = false;
  int selected = -1;
  bool filling = false;  // while the window fills the field itself
  std::string said = kWaiting;  // the note, while no typed number is refused
  bool closing = false;    // an Apply asked for on closing: the window closes when it succeeds
  bool thenUndo = false;   // closed by Ctrl+Z: the main window's Undo follows
  Work work;
  HANDLE worker = nullptr;  // while the reading or an Apply runs

  ~TcpWindow() override { Join(); }

  // Waits for the worker: it uses this window's state.
  void Join() {
    if (!worker) return;
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    worker = nullptr;
  }

  bool Busy() const { return worker != nullptr || work.window != nullptr; }

  // The controls that start or change anything, off while netsh runs.
  void Enable(bool on) const {
    for (HWND control : {list, value, number, defaults, applyButton, close})
      EnableWindow(control, on);
  }

  void Say(const std::string& text) {
    said = text;
    SetWindowTextA(note, text.c_str());
  }

  void Start(const Platform::TcpRowsWork* run, bool reading) {
    work.run = run;
    work.reading = reading;
    work.said.clear();
    work.rows = *rows;
    work.window = hwnd;
    Say(kWaiting);
    Enable(false);
    SetFocus(hwnd);
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    // Started from the window's loop: by then the owner is disabled, so
    // that a message box of the work's cannot leave it so for good.
    PostMessageA(hwnd, kRun, 0, 0);
  }

  void Finish() {
    Join();
    work.window = nullptr;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    // Nothing read: the reading said why, and there is nothing to show.
    if (work.reading && work.said.empty()) {
      done = true;
      return;
    }
    *rows = work.rows;
    // An Apply asked for on closing that failed leaves the window open: its
    // new values are still to be seen, and the failure was reported.
    if (closing && !work.said.empty()) {
      done = true;
      return;
    }
    closing = thenUndo = false;
    if (!work.said.empty()) Say(work.said);
    Enable(true);
    // Nothing reported: nothing could be checked after a change, so none is offered.
    if (NoneReported(*rows)) EnableWindow(applyButton, FALSE);
    ShowAll();
    // The reading adds what hurts to each row's text: the effect's box grows with it.
    RECT client;
    GetClientRect(hwnd, &client);
    LayOut(client.right, client.bottom);
    SetFocus(work.reading ? list : applyButton);
  }

  // The rows whose new value is not in force yet.
  int Pending() const {
    int n = 0;
    for (const TcpSettingRow& r : *rows) n += r.reported && !r.chosen.empty() && r.chosen != r.inForce;
    return n;
  }

  // Close, Escape, Enter, the close box and Ctrl+Z: new values not applied
  // are applied, dropped or kept open as the user answers, never lost unasked.
  void RequestClose(bool undo) {
    if (const int pending = Pending()) {
      const std::string text =
          pending == 1 ? std::string("1 setting has a new value that is not applied. Apply it now?")
                       : std::to_string(pending) +
                             " settings have new values that are not applied. Apply them now?";
      const int answer =
          MessageBoxA(hwnd, text.c_str(), kAppTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDYES) {
        closing = true;
        thenUndo = undo;
        Start(apply, false);
        return;
      }
      if (answer != IDNO) return;
    }
    thenUndo = undo;
    done = true;
  }

  std::string Cell(int row, int column) const {
    char text[512] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }

  void SetCell(int row, int column, const std::string& text) const {
    SetCell(row, column, text.c_str());
  }
  void SetCell(int row, int column, const char* text) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  }

  // Each column as wide as its widest text, its title included, measured
  // in the list's font: the common controls' own fitting leaves titles cut
  // at some DPIs. Returns the columns' width.
  int FitColumns() const {
    const int rowCount = static_cast<int>(rows->size());
    int total = 0;
    for (int c = 0; c < kColumnCount; ++c) {
      int width = TextWidth(list, kColumns[c]);
      for (int i = 0; i < rowCount; ++i) width = std::max(width, TextWidth(list, Cell(i, c)));
      width += MulDiv(kCellPadding + (c == kName ? kFirstCellPadding : 0), dpi, kDesignDpi);
      // The last column's automatic width fills the list instead.
      if (c + 1 < kColumnCount) {
        SendMessageA(list, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
        width = std::max(width, static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0)));
      }
      SendMessageA(list, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(width, 0));
      total += width;
    }
    return total;
  }

  void ShowRow(int i) const {
    const TcpSettingRow& r = (*rows)[i];
    const std::string* const values[] = {&r.inForce, &r.defaultValue, &r.chosen};
    for (int c = kInForce; c <= kNew; ++c) {
      const std::string& value = *values[c - kInForce];
      // A setting netsh left out is shown so, and offers no new value.
      if (!r.reported && c != kDefault)
        SetCell(i, c, c == kInForce ? kNotReported : "");
      else if (c == kInForce && value.empty())
        SetCell(i, c, kNotReported);
      else
        SetCell(i, c, c == kDefault && value == kNotDocumented ? value : Shown(r, value));
    }
  }

  // The field takes the selected row's values and its choice: a list of the
  // words it takes, or a number typed and checked as it is typed.
  void FillField() {
    filling = true;
    SendMessageA(value, CB_RESETCONTENT, 0, 0);
    const bool any = selected >= 0 && selected < static_cast<int>(rows->size());
    const bool isNumber = any && (*rows)[selected].maximum > 0;
    ShowWindow(value, isNumber ? SW_HIDE : SW_SHOW);
    ShowWindow(number, isNumber ? SW_SHOW : SW_HIDE);
    EnableWindow(value, any && (*rows)[selected].reported);
    EnableWindow(number, any && (*rows)[selected].reported);
    SetWindowTextA(number, "");
    SetWindowTextA(effect, any ? EffectText((*rows)[selected]).c_str() : "");
    if (any) {
      const TcpSettingRow& r = (*rows)[selected];
      std::string label = "New &value of ";
      label += r.name;
      label += ':';
      SetWindowTextA(valueLabel, label.c_str());
      if (isNumber) {
        if (r.reported) SetWindowTextA(number, r.chosen.c_str());
      } else {
        int current = -1;
        for (std::size_t i = 0; i < r.values.size(); ++i) {
          const std::string shown = Shown(r, r.values[i]);
          SendMessageA(value, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
          if (r.values[i] == r.chosen) current = static_cast<int>(i);
        }
        SendMessageA(value, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
      }
    }
    // A refusal of the row left is no longer about the field.
    SetWindowTextA(note, said.c_str());
    filling = false;
  }

  void Choose(const std::string& chosen) {
    if (filling || selected < 0 || selected >= static_cast<int>(rows->size())) return;
    (*rows)[selected].chosen = chosen;
    ShowRow(selected);
    // "disabled (hurts)" is wider than what the column held.
    FitColumns();
  }

  void Typed() {
    if (filling || selected < 0 || selected >= static_cast<int>(rows->size())) return;
    const std::string text = WindowText(number, true);
    const std::string fault = NumberFault((*rows)[selected], text);
    SetWindowTextA(note, fault.empty() ? said.c_str() : fault.c_str());
    if (fault.empty()) Choose(text);
  }

  void ShowAll() {
    for (int i = 0; i < static_cast<int>(rows->size()); ++i) ShowRow(i);
    FitColumns();
    FillField();
  }

  // The effect box's height (96-DPI units) for a client area of this size:
  // as high as the longest row's text needs, between its least and what
  // leaves the list its least.
  int EffectHeight(int w, int h) const {
    const int edge = 2 * GetSystemMetrics(SM_CXEDGE);
    const int textWidth = MulDiv(w - 2 * kMargin, dpi, kDesignDpi) - 2 * edge -
                          GetSystemMetrics(SM_CXVSCROLL) - MulDiv(8, dpi, kDesignDpi);
    int needed = 0;
    for (const TcpSettingRow& r : *rows)
      needed = std::max(needed, TextHeight(effect, EffectText(r), textWidth));
    const int most = h - kValueFromBottom - 2 * kButtonGap - kListTop - kListLeast;
    const int wanted = MulDiv(needed + 2 * edge, kDesignDpi, dpi) + 6;
    return std::max(kEffectLeast, std::min(wanted, most));
  }

  void LayOut(int width, int height) const {
    const int w = MulDiv(width, kDesignDpi, dpi), h = MulDiv(height, kDesignDpi, dpi);
    const int valueTop = h - kValueFromBottom, buttonsTop = h - kButtonsFromBottom;
    const int effectHeight = EffectHeight(w, h);
    const int effectTop = valueTop - kButtonGap - effectHeight;
    const int closeLeft = w - kMargin - kButtonWidth;
    PlaceChild(note, kMargin, kNoteTop, w - 2 * kMargin, kNoteHeight, dpi);
    PlaceChild(list, kMargin, kListTop, w - 2 * kMargin, effectTop - kButtonGap - kListTop, dpi);
    PlaceChild(effect, kMargin, effectTop, w - 2 * kMargin, effectHeight, dpi);
    PlaceChild(valueLabel, kMargin, valueTop + 4, kLabelWidth, kNoteHeight, dpi);
    PlaceChild(value, kMargin + kLabelWidth, valueTop, kFieldWidth, kFieldDrop, dpi);
    PlaceChild(number, kMargin + kLabelWidth, valueTop, kFieldWidth, kEditHeight, dpi);
    PlaceChild(defaults, kMargin, buttonsTop, kDefaultsWidth, kButtonHeight, dpi);
    PlaceChild(applyButton, closeLeft - kButtonGap - kButtonWidth, buttonsTop, kButtonWidth,
               kButtonHeight, dpi);
    PlaceChild(close, closeLeft, buttonsTop, kButtonWidth, kButtonHeight, dpi);
  }

 private:
  bool Intercept(const MSG& msg) override {
    if (msg.message != WM_KEYDOWN || msg.wParam != 'Z' || GetKeyState(VK_CONTROL) >= 0 ||
        (msg.hwnd != hwnd && !IsChild(hwnd, msg.hwnd)))
      return false;
    if (!Busy()) RequestClose(true);
    return true;
  }

  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    const bool busy = Busy();
    switch (msg) {
      case kRun: {
        DWORD id = 0;
        worker = CreateThread(nullptr, 0, Work::Run, &work, 0, &id);
        // No thread to be had: the work runs here, as it always could.
        if (!worker) Work::Run(&work);
        return true;
      }
      case kDone:
        Finish();
        return true;
      case WM_SETCURSOR:
        if (!busy || LOWORD(lParam) != HTCLIENT) return false;
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        *result = TRUE;
        return true;
      case WM_CLOSE:
        // Not while netsh runs: what it does is to be shown when it ends.
        if (!busy) RequestClose(false);
        return true;
      case WM_SIZE:
        if (!laidOut) return false;
        LayOut(LOWORD(lParam), HIWORD(lParam));
        return true;
      case WM_NOTIFY: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->hdr.hwndFrom != list || change->hdr.code != LVN_ITEMCHANGED ||
            !(change->uNewState & LVIS_SELECTED) || (change->uOldState & LVIS_SELECTED))
          return false;
        selected = change->iItem;
        FillField();
        return true;
      }
      case WM_COMMAND:
        if (busy) return true;
        switch (LOWORD(wParam)) {
          case kValueId:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
              const auto index = static_cast<std::size_t>(SendMessageA(value, CB_GETCURSEL, 0, 0));
              if (selected >= 0 && index < (*rows)[selected].values.size())
                Choose((*rows)[selected].values[index]);
            }
            return true;
          case kNumberId:
            if (HIWORD(wParam) == EN_CHANGE) Typed();
            return true;
          case kDefaultsId:
            for (TcpSettingRow& r : *rows)
              if (r.reported && r.defaultValue != kNotDocumented) r.chosen = r.defaultValue;
            ShowAll();
            return true;
          case kApplyId:
            Start(apply, false);
            return true;
          case IDCANCEL:
            RequestClose(false);
            return true;
        }
        return false;
    }
    return false;
  }
};

}  // namespace

void ShowModernTcpWindow(HWND owner, std::vector<TcpSettingRow>* rows,
                         const Platform::TcpRowsWork& read, const Platform::TcpRowsWork& apply) {
  TcpWindow state;
  state.rows = rows;
  state.apply = &apply;
  // Made at its smallest, then given its size: its controls are placed as
  // that size arrives (WM_SIZE). The label comes before its fields, so that
  // a screen reader names them by it; Close is the default: Enter never
  // sets anything.
  static constexpr ChildRow kChildren[] = {
      {"STATIC", kWaiting, SS_LEFT | SS_NOPREFIX},
      {WC_LISTVIEWA, "",
       WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0, 0, 0, 0,
       kListId, false, WS_EX_CLIENTEDGE},
      {"EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0, 0, 0, kEffectId,
       false, WS_EX_CLIENTEDGE},
      {"STATIC", "", SS_LEFT, 0, 0, 0, 0, kValueLabelId},
      {"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 0, 0, kValueId},
      {"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, kNumberId, false, WS_EX_CLIENTEDGE},
      {"BUTTON", "Windows &Defaults", WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, kDefaultsId},
      {"BUTTON", "&Apply", WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, kApplyId},
      {"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0, IDCANCEL},
  };
  HWND c[std::size(kChildren)];
  state.Open(kClass, "Modern TCP Settings", owner, kMinWidth, kMinHeight, true, kChildren,
             static_cast<int>(std::size(kChildren)), c);
  const int dpi = state.dpi;
  state.note = c[0], state.list = c[1], state.effect = c[2], state.valueLabel = c[3];
  state.value = c[4], state.number = c[5], state.defaults = c[6], state.applyButton = c[7];
  state.close = c[8];
  const Window list(MakeReportList(state.list, LVS_EX_FULLROWSELECT));
  AddColumns(state.list, kColumns, kColumnCount, sizeof kColumns[0]);
  // Its columns are measured here, so the empty one that the shared fitting
  // needs goes.
  list.Send(LVM_DELETECOLUMN, kColumnCount, 0);
  for (int i = 0; i < static_cast<int>(rows->size()); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>((*rows)[i].name.c_str());
    list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    state.ShowRow(i);
  }
  const int columnsWidth = state.FitColumns();
  const int wanted = MulDiv(columnsWidth, kDesignDpi, dpi) + kListFrame + 2 * kMargin;
  state.laidOut = true;
  // Fitted into the work area of its monitor as it is centred.
  state.OpenSized(owner, std::max(kWidth, wanted), kHeight, kMinWidth, kMinHeight, dpi);
  // The first row is selected, so that the field is live from the start.
  LVITEMA item{};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  list.Send(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  state.FillField();
  state.defaultId = IDCANCEL;
  state.Start(&read, true);
  state.Run(owner, state.list);
  // Ctrl+Z in the window: the main window undoes as its own Ctrl+Z does.
  if (state.thenUndo && owner) PostMessageA(owner, WM_COMMAND, IDM_UNDO_LAST_CHANGE, 0);
}

}  // namespace iz::win32
