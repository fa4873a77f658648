#include "win32/modern_tcp_window.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "win32/controls.h"
#include "win32/modal_window.h"

namespace iz::win32 {

namespace {

constexpr const char* kClass = "TModernTcpForm";
constexpr int kListId = 100, kValueLabelId = 101, kValueId = 102, kDefaultsId = 103, kApplyId = 104;
constexpr const char* kNotDocumented = "not documented";
constexpr const char* kWaiting = "Waiting for netsh...";
// Posted by the worker once its work is done.
constexpr UINT kDone = WM_APP + 1;
// Starts the worker.
constexpr UINT kRun = WM_APP + 2;

// At 96 DPI: the client area when it opens (wider where the columns need
// it), the smallest it can be made, and the places of the controls from the
// edges: the note on top, the list, the new value's field, the buttons.
constexpr int kWidth = 600, kHeight = 300, kMinWidth = 420, kMinHeight = 240;
constexpr int kMargin = 8, kNoteTop = 10, kNoteHeight = 16, kListTop = 32;
constexpr int kValueFromBottom = 68, kLabelWidth = 220, kFieldWidth = 180, kFieldDrop = 160;
constexpr int kButtonWidth = 75, kDefaultsWidth = 110, kButtonHeight = 25, kButtonGap = 10,
              kButtonsFromBottom = 36;
// The list's sunken edges and vertical scroll bar, and a pixel for rounding.
constexpr int kListFrame = 22;

constexpr const char* kColumns[] = {"Setting", "In force", "Default", "New value", "Effect"};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
enum Column { kName, kInForce, kDefault, kNew, kEffect };

bool Hurts(const TcpSettingRow& row, const std::string& value) {
  return std::find(row.hurts.begin(), row.hurts.end(), value) != row.hurts.end();
}

// A value as the window shows it: what hurts in common use says so.
std::string Shown(const TcpSettingRow& row, const std::string& value) {
  std::string text = value;
  if (Hurts(row, value)) text += " (hurts)";
  return text;
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
  HWND note = nullptr, list = nullptr, valueLabel = nullptr, value = nullptr, defaults = nullptr,
       applyButton = nullptr, close = nullptr;
  bool laidOut = false;
  int selected = -1;
  bool filling = false;  // while the window fills the field itself
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

  // The controls that start or change anything, off while netsh runs.
  void Enable(bool on) const {
    for (HWND control : {list, value, defaults, applyButton, close}) EnableWindow(control, on);
  }

  void Start(const Platform::TcpRowsWork* run, bool reading) {
    work.run = run;
    work.reading = reading;
    work.said.clear();
    work.rows = *rows;
    work.window = hwnd;
    SetWindowTextA(note, kWaiting);
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
    if (!work.said.empty()) SetWindowTextA(note, work.said.c_str());
    Enable(true);
    // Nothing reported: nothing could be checked after a change, so none is offered.
    if (NoneReported(*rows)) EnableWindow(applyButton, FALSE);
    ShowAll();
    SetFocus(work.reading ? list : applyButton);
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
    // The values' columns follow their texts, so that none is cut off.
    for (int c = kInForce; c <= kNew; ++c)
      SendMessageA(list, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
  }

  // The field takes the selected row's values and its choice.
  void FillField() {
    filling = true;
    SendMessageA(value, CB_RESETCONTENT, 0, 0);
    const bool any = selected >= 0 && selected < static_cast<int>(rows->size());
    EnableWindow(value, any && (*rows)[selected].reported);
    if (any) {
      const TcpSettingRow& r = (*rows)[selected];
      std::string label = "New &value of ";
      label += r.name;
      label += ':';
      SetWindowTextA(valueLabel, label.c_str());
      int current = -1;
      for (std::size_t i = 0; i < r.values.size(); ++i) {
        const std::string shown = Shown(r, r.values[i]);
        SendMessageA(value, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        if (r.values[i] == r.chosen) current = static_cast<int>(i);
      }
      SendMessageA(value, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
      if (current < 0) SetWindowTextA(value, r.chosen.c_str());
    }
    filling = false;
  }

  void Choose(const std::string& chosen) {
    if (filling || selected < 0 || selected >= static_cast<int>(rows->size())) return;
    (*rows)[selected].chosen = chosen;
    ShowRow(selected);
  }

  void ShowAll() {
    for (int i = 0; i < static_cast<int>(rows->size()); ++i) ShowRow(i);
    FillField();
  }

  void LayOut(int width, int height) const {
    const int w = MulDiv(width, kDesignDpi, dpi), h = MulDiv(height, kDesignDpi, dpi);
    const int valueTop = h - kValueFromBottom, buttonsTop = h - kButtonsFromBottom;
    const int closeLeft = w - kMargin - kButtonWidth;
    PlaceChild(note, kMargin, kNoteTop, w - 2 * kMargin, kNoteHeight, dpi);
    PlaceChild(list, kMargin, kListTop, w - 2 * kMargin, valueTop - kButtonGap - kListTop, dpi);
    PlaceChild(valueLabel, kMargin, valueTop + 4, kLabelWidth, kNoteHeight, dpi);
    PlaceChild(value, kMargin + kLabelWidth, valueTop, kFieldWidth, kFieldDrop, dpi);
    PlaceChild(defaults, kMargin, buttonsTop, kDefaultsWidth, kButtonHeight, dpi);
    PlaceChild(applyButton, closeLeft - kButtonGap - kButtonWidth, buttonsTop, kButtonWidth,
               kButtonHeight, dpi);
    PlaceChild(close, closeLeft, buttonsTop, kButtonWidth, kButtonHeight, dpi);
  }

 private:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    const bool busy = worker != nullptr || work.window != nullptr;
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
        return busy;
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
            } else if (HIWORD(wParam) == CBN_EDITCHANGE) {
              Choose(WindowText(value, true));
            }
            return true;
          case kDefaultsId:
            for (TcpSettingRow& r : *rows)
              if (r.reported && r.defaultValue != kNotDocumented) r.chosen = r.defaultValue;
            ShowAll();
            return true;
          case kApplyId:
            Start(apply, false);
            return true;
        }
        return false;
    }
    (void)result;
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
  // that size arrives (WM_SIZE). The label comes before its field, so that
  // a screen reader names the field by it; Close is the default: Enter never
  // sets anything.
  static constexpr ChildRow kChildren[] = {
      {"STATIC", kWaiting, SS_LEFT | SS_NOPREFIX},
      {WC_LISTVIEWA, "",
       WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0, 0, 0, 0,
       kListId, false, WS_EX_CLIENTEDGE},
      {"STATIC", "", SS_LEFT, 0, 0, 0, 0, kValueLabelId},
      {"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 0, 0,
       kValueId},
      {"BUTTON", "Windows &Defaults", WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, kDefaultsId},
      {"BUTTON", "&Apply", WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, kApplyId},
      {"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0, IDCANCEL},
  };
  HWND c[std::size(kChildren)];
  state.Open(kClass, "Modern TCP Settings", owner, kMinWidth, kMinHeight, true, kChildren,
             static_cast<int>(std::size(kChildren)), c);
  const int dpi = state.dpi;
  state.note = c[0], state.list = c[1], state.valueLabel = c[2], state.value = c[3];
  state.defaults = c[4], state.applyButton = c[5], state.close = c[6];
  const Window list(MakeReportList(state.list, LVS_EX_FULLROWSELECT));
  // One column more than shown, as in the preview.
  AddColumns(state.list, kColumns, kColumnCount, sizeof kColumns[0]);
  for (int i = 0; i < static_cast<int>(rows->size()); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>((*rows)[i].name.c_str());
    list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    state.SetCell(i, kEffect, (*rows)[i].effect);
    state.ShowRow(i);
  }
  const int columnsWidth = FitColumns(state.list, kColumnCount);
  const int wanted = MulDiv(columnsWidth, kDesignDpi, dpi) + kListFrame + 2 * kMargin;
  state.laidOut = true;
  state.OpenSized(owner, std::max(kWidth, wanted), kHeight, kMinWidth, kMinHeight, dpi);
  // The first row is selected, so that the field is live from the start.
  LVITEMA item{};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  list.Send(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  state.FillField();
  state.defaultId = IDCANCEL;
  state.Start(&read, true);
  state.Run(owner, state.list);
}

}  // namespace iz::win32
