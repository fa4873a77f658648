#include "win32/main_window.h"
#include "win32/main_window_detail.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <string>

#include "profiles/input_rules.h"
#include "store/error.h"
#include "win32/command_table.h"
#include "win32/icmp_probe.h"
#include "win32/panel_layout.h"
#include "win32/resource_ids.h"
#include "win32/work_area.h"

namespace iz::win32 {

namespace {

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr COLORREF kTitleColor = RGB(0, 0, 128);

// The model stores colours as the toolkit does: a system colour index with
// the top bit set (clBtnFace, clWindow).
int SysColorIndex(std::uint32_t color) {
  return (color & 0x80000000u) ? static_cast<int>(color & 0xFF) : COLOR_WINDOW;
}

void SetEnabled(HWND hwnd, bool enabled) {
  if ((IsWindowEnabled(hwnd) != FALSE) != enabled) EnableWindow(hwnd, enabled);
}


// A colour change shows at the next paint; before the first show that paint
// comes anyway, so a hidden control is not invalidated.
void Repaint(HWND control) {
  if (IsWindowVisible(control)) InvalidateRect(control, nullptr, TRUE);
}

}  // namespace

namespace main_window_detail {

Error UnknownControl(const char* name) {
  return Error(std::string("The panel's layout names no control of the model: ") + name);
}

WNDPROC g_buttonProc = nullptr;
WNDPROC g_editProc = nullptr;

void Subclass(HWND control, WNDPROC proc, WNDPROC* original, void* self) {
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  const LONG_PTR previous =
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  if (!*original) *original = reinterpret_cast<WNDPROC>(previous);
}

}  // namespace main_window_detail

using namespace main_window_detail;

MainWindow::MainWindow(TIZelvora& model, Win32Platform& platform)
    : model_(model), platform_(platform) {
  platform_.view = this;
}

MainWindow::~MainWindow() {
  platform_.view = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::OnAboutLinkClick() {
  Run([this] { model_.OnAboutLinkClick(); });
}

bool MainWindow::Create(HINSTANCE instance, const char* className) {
  try {
    RegisterWindowClass(className, WindowProc, 0,
                        LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON)),
                        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAINICON),
                                                      IMAGE_ICON, 16, 16, 0)));
  } catch (const Error&) {
    return false;
  }

  HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
  accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  dpi_ = ScreenDpi();
  const SIZE size =
      WindowSizeFor(kClientWidth, kClientHeight, kWindowStyle, menu != nullptr, 0, dpi_);
  // Centred on the primary monitor's work area. The layout is fixed: on a
  // work area too small for it the window starts at its top left, where the
  // title bar, the menu and the first groups are. Created there: a move
  // after the creation would cost the start a second placing of the window.
  const RECT place = CentredPlace(size, WorkArea(), Fit::KeepSize);
  CreateWindowExA(0, className, kMainCaption, kWindowStyle, place.left, place.top, size.cx, size.cy,
                  nullptr, menu, instance, this);
  return hwnd_ != nullptr;
}

bool MainWindow::TranslateKeys(MSG& msg) {
  if (!hwnd_) return false;
  // Remembered here as well as on deactivation: a message box disables this
  // window, and with it the focus goes, before the deactivation arrives.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
  // The focus may have moved by the mouse, a window closing or a key.
  toolBar_.ShowFocus(focus && focus == toolBar_.Handle());
  if (accelerators_ && !FocusUsesKey(msg) && TranslateAcceleratorA(hwnd_, accelerators_, &msg))
    return true;
  if (msg.message == WM_KEYDOWN && OwnKey(focus, msg)) return true;
  const bool used = IsDialogMessageA(hwnd_, &msg) != FALSE;
  if (used) toolBar_.ShowFocus(GetFocus() == toolBar_.Handle());
  return used;
}

bool MainWindow::OwnKey(HWND focus, const MSG& msg) {
  if (!focus) return false;
  if (focus == toolBar_.Handle()) {
    int command = 0;
    if (!toolBar_.OnKey(msg.wParam, &command)) return false;
    if (command) RunCommand(command);
    return true;
  }
  const WPARAM key = msg.wParam;
  if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) return false;
  // Fields and the list move their own caret and pick with the arrows.
  if (GetParent(focus) != panel2_ || (SendMessageA(focus, WM_GETDLGCODE, key, 0) & DLGC_WANTARROWS))
    return false;
  // The dialog keyboard would go on from a group's last control to whatever
  // follows it, out of the panel into the toolbar, where Space would run a
  // command: here the arrows go round a run of choices and stop at any
  // other control.
  for (const ChoiceRun& run : runs_) {
    const size_t n = run.count;
    size_t i = 0;
    while (i < n && boxes_[run.first + i].hwnd != focus) ++i;
    if (i == n) continue;
    const bool back = key == VK_LEFT || key == VK_UP;
    for (size_t step = 1; step < n; ++step) {
      const HWND next = boxes_[run.first + (back ? i + n - step : i + step) % n].hwnd;
      if (IsWindowEnabled(next) && IsWindowVisible(next)) {
        SetFocus(next);
        break;
      }
    }
    break;
  }
  return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The system holds a window to the screen's size, from its creation on.
  // On a screen smaller than the layout that would cut its right part off
  // for good; at its full size the window can be moved to show that part.
  // The user cannot size the window: the layout alone decides its size.
  if (msg == WM_GETMINMAXINFO) {
    reinterpret_cast<MINMAXINFO*>(lp)->ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
    return 0;
  }
  MainWindow* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
    // Dialogs that start-up may show (inside WM_CREATE) are owned by us.
    self->platform_.mainWindow = hwnd;
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // Nothing may unwind through the system's callback: handlers report their
  // own errors through Dispatch; anything else ends here.
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      // A control that cannot be made is reported, and the window is not
      // created: a panel with a missing control would mislead the user.
      try {
        OnCreate();
      } catch (const std::exception& e) {
        model_.ReportError(e.what());
        return -1;
      }
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      if (toolBar_.OnNotify(reinterpret_cast<NMHDR*>(lp))) return 0;
      break;
    case WM_INITMENUPOPUP:
      OnInitMenu(reinterpret_cast<HMENU>(wp));
      break;
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wp), HIWORD(wp));
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return OnColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_ACTIVATE:
      OnActivate(LOWORD(wp) != WA_INACTIVE, HIWORD(wp) != 0);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_NEXTDLGCTL:
      MoveFocus(hwnd_, wp, lp);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      // "E&xit" and the close box: the main window goes, and the program
      // with it. Nothing is asked and nothing is saved.
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      platform_.mainWindow = nullptr;
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void MainWindow::OnCreate() {
  // Where the system scales per monitor, the window's monitor may differ
  // from the one the size was computed for.
  if (const int dpi = WindowDpi(hwnd_); dpi != dpi_) {
    dpi_ = dpi;
    const SIZE size = WindowSizeFor(kClientWidth, kClientHeight, kWindowStyle,
                                    GetMenu(hwnd_) != nullptr, 0, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Fonts(dpi_).Swap(fonts_);
  Window(hwnd_).SetFont(fonts_.normal);
  // The panel before the toolbar: the tab order is the order of creation,
  // and the focus starts on the panel's first choice, not on a command.
  CreatePanel2();
  toolBar_.Create(hwnd_, IDC_TOOLBAR, kClientWidth, kToolBarHeight, fonts_.normal, dpi_);
  CreatePanel1();
  CreateStatusBar();
  // OnCreate: the first-run check, the status line, the theming component
  // and the first reading of the settings, before the window is shown. The
  // controls take the model's state once, after the reading: fill, then show.
  Run([this] { model_.OnCreate(); });
}

void MainWindow::RelayMouse(const MSG& msg) {
  if (!tooltip_ || msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) return;
  if (msg.hwnd != panel2_ && GetParent(msg.hwnd) != panel2_) return;
  SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(const_cast<MSG*>(&msg)));
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  // The old fonts go once every control has the new ones.
  Fonts old(dpi_);
  old.Swap(fonts_);
  Window(hwnd_).SetFont(fonts_.normal);
  toolBar_.SetDpi(dpi_, fonts_.normal);
  PlacePanel1();
  PlaceChild(panel2_, 0, kToolBarHeight, kClientWidth, kPanel2Height, dpi_);
  for (const Placed& p : placed_) {
    const RECT r = p.At(dpi_);
    SetWindowPos(p.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Window(p.hwnd).SetFont(fonts_.*p.font);
  }
  PlaceChild(statusBar_, 0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight, dpi_);
  Window(statusBar_).SetFont(statusBoldShown_ ? fonts_.bold : fonts_.normal);
  // The tooltips' rectangles are in pixels: they are made again.
  if (tooltip_) DestroyWindow(tooltip_);
  AddTooltips();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::OnActivate(bool active, bool minimized) {
  // What a dialog does: the focus leaves with the window and comes back to
  // the same control, never to the window itself.
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
  } else if (!minimized) {
    RestoreFocus();
  }
}

void MainWindow::RestoreFocus() {
  HWND target = lastFocus_;
  if (target && !(IsWindow(target) && IsChild(hwnd_, target))) target = nullptr;
  // A control that was locked meanwhile hands on to the next tab stop; at
  // start-up the first tab stop takes the focus.
  if (!target || !IsWindowEnabled(target) || !IsWindowVisible(target))
    target = GetNextDlgTabItem(hwnd_, target, FALSE);
  if (target) SetFocus(target);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
  // Menu items and accelerators come without a control; toolbar buttons
  // from the toolbar.
  if (!control || control == toolBar_.Handle()) {
    RunCommand(id);
    if (control && hwnd_ && GetFocus() != control) toolBar_.DropHighlight();
    return;
  }
  if ((control == glLabel2_ || control == glLabel1_) && code == STN_CLICKED) {
    Run([this] { model_.OnTitleLinkClick(); });
    return;
  }
  if (control == combo_) {
    if (code == CBN_SELCHANGE) {
      const int index = ComboBox(combo_).GetCurSel();
      Run([this, index] { model_.Pick(index); });
    }
    return;
  }
  for (EditView& e : edits_) {
    if (e.hwnd != control) continue;
    if (code == EN_CHANGE && !writing_) {
      const std::string text = WindowText(control);
      Run([this, &e, &text] { model_.SetText(*e.edit, text); });
    }
    return;
  }
  for (BoxView& b : boxes_) {
    if (b.hwnd != control) continue;
    if (code == BN_CLICKED && !focusing_ && b.box->enabled)
      Run([this, &b] { model_.Click(*b.box); });
    return;
  }
}

void MainWindow::OnInitMenu(HMENU menu) {
  // Asked when the menu opens, not at start-up: the lookup loads the
  // network DLLs. EnableMenuItem tells whether the item is in this menu.
  if (EnableMenuItem(menu, IDM_FIND_MTU, MF_BYCOMMAND | MF_ENABLED) == -1) return;
  mtuUnavailable_ = EchoUnavailable();
  if (!mtuUnavailable_.empty()) EnableMenuItem(menu, IDM_FIND_MTU, MF_BYCOMMAND | MF_GRAYED);
  modernUnavailable_ = model_.ModernTcpUnavailable();
  EnableMenuItem(menu, IDM_MODERN_TCP,
                 MF_BYCOMMAND | (modernUnavailable_.empty() ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::OnMenuSelect(int id, UINT flags) {
  if (!statusBar_ || (mtuUnavailable_.empty() && modernUnavailable_.empty())) return;
  // A greyed item, highlighted by its key or the mouse, says why in the
  // status line; another item, or the menu closing (flags 0xFFFF), shows
  // the model's text again.
  const bool item = flags != 0xFFFF && !(flags & MF_POPUP);
  const std::string& text = item && id == IDM_FIND_MTU && !mtuUnavailable_.empty() ? mtuUnavailable_
                            : item && id == IDM_MODERN_TCP && !modernUnavailable_.empty()
                                ? modernUnavailable_
                                : model_.StatusText;
  if (text == statusShown_) return;
  StatusBar(statusBar_).SetText(SB_SIMPLEID, text.c_str());
  StatusBar(statusBar_).SetText(0, text.c_str());
  statusShown_ = text;
}

LRESULT MainWindow::OnColor(UINT msg, HDC dc, HWND control) {
  // Locked and open fields differ only by the colour the model gives them
  // (button face or window); disabled edits ask with WM_CTLCOLORSTATIC.
  std::uint32_t color = 0;
  bool enabled = true;
  bool known = false;
  for (const EditView& e : edits_) {
    if (e.hwnd == control) {
      color = e.edit->color;
      enabled = e.edit->enabled;
      known = true;
    }
  }
  if (control == combo_ && msg != WM_CTLCOLORLISTBOX) {
    color = model_.rwinMultiples.color;
    enabled = model_.rwinMultiples.enabled;
    known = true;
  }
  if (known) {
    const int index = SysColorIndex(color);
    SetBkColor(dc, GetSysColor(index));
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(index));
  }
  if (control == glLabel2_ || control == glLabel1_) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, kTitleColor);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcA(hwnd_, msg, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

void MainWindow::RunCommand(int id) {
  if (const Command* c = FindCommand(id)) Run([this, c] { (model_.*(c->run))(); });
}

void MainWindow::RunHandler(void (*call)(void*), void* handler, bool mirror) {
  model_.Dispatch([call, handler] { call(handler); });
  if (mirror) Mirror();
}

void MainWindow::Mirror() {
  if (!hwnd_) return;
  writing_ = true;
  for (const BoxView& b : boxes_) {
    const Button button(b.hwnd);
    if (button.IsChecked() != b.box->checked) button.SetCheck(b.box->checked);
    SetEnabled(b.hwnd, b.box->enabled);
  }
  for (EditView& e : edits_) MirrorEdit(e);
  if (combo_) {
    const ComboCtl& c = model_.rwinMultiples;
    if (ComboBox(combo_).GetCurSel() != c.itemIndex) ComboBox(combo_).SetCurSel(c.itemIndex);
    if (comboEnabled_ != c.enabled || comboColor_ != c.color) {
      SetEnabled(combo_, c.enabled);
      Repaint(combo_);
      comboEnabled_ = c.enabled;
      comboColor_ = c.color;
    }
  }
  if (statusBar_) {
    const StatusBar status(statusBar_);
    if (statusSimpleShown_ != model_.StatusSimple) {
      status.SetSimple(model_.StatusSimple);
      statusSimpleShown_ = model_.StatusSimple;
    }
    if (statusBoldShown_ != model_.StatusBold) {
      status.SetFont(model_.StatusBold ? fonts_.bold : fonts_.normal,
                     IsWindowVisible(statusBar_) != FALSE);
      statusBoldShown_ = model_.StatusBold;
    }
    if (statusShown_ != model_.StatusText) {
      // In simple mode the text lives in the simple part; set both so that it
      // shows whichever mode the model chose.
      status.SetText(SB_SIMPLEID, model_.StatusText.c_str());
      status.SetText(0, model_.StatusText.c_str());
      statusShown_ = model_.StatusText;
    }
  }
  MirrorTabStops();
  writing_ = false;
}

void MainWindow::MirrorTabStops() {
  // Checking or clearing a radio button sets or drops its tab stop: after
  // every change each run has its one tab stop again.
  for (const ChoiceRun& run : runs_) {
    const size_t end = run.first + run.count;
    size_t stop = run.first;
    for (size_t i = run.first; i < end; ++i) {
      if (boxes_[i].box->checked) {
        stop = i;
        break;
      }
    }
    for (size_t i = run.first; i < end; ++i) {
      const LONG style = GetWindowLongA(boxes_[i].hwnd, GWL_STYLE);
      const LONG want = i == stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
      if (want != style) SetWindowLongA(boxes_[i].hwnd, GWL_STYLE, want);
    }
  }
}

void MainWindow::MirrorEdit(EditView& view) {
  const EditCtl& edit = *view.edit;
  if (WindowText(view.hwnd) != edit.text) SetWindowTextA(view.hwnd, edit.text.c_str());
  if (view.enabled != edit.enabled || view.color != edit.color) {
    SetEnabled(view.hwnd, edit.enabled);
    Repaint(view.hwnd);
    view.enabled = edit.enabled;
    view.color = edit.color;
  }
}

LRESULT CALLBACK MainWindow::Edit2Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_CHAR && w) {
    bool discard = false;
    try {
      w->Run([wp, &discard] { discard = MtuKeyRejected(static_cast<char>(wp)); }, false);
    } catch (...) {  // nothing unwinds through the system's callback
    }
    if (discard) return 0;
  }
  return CallWindowProcA(g_editProc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::ChoiceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_SETFOCUS && w) {
    ++w->focusing_;
    LRESULT r = CallWindowProcA(g_buttonProc, hwnd, msg, wp, lp);
    --w->focusing_;
    return r;
  }
  return CallWindowProcA(g_buttonProc, hwnd, msg, wp, lp);
}

}  // namespace iz::win32
