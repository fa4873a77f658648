#include "app/win32/main_window.h"

#include <iterator>
#include <string>

#include "app/win32/commands.h"
#include "app/win32/panel_layout.h"
#include "app/win32/resource_ids.h"
#include "store/error.h"

namespace iz::win32 {

namespace {

constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kComboDropHeight = 160;
constexpr COLORREF kTitleColor = RGB(0, 0, 128);

// The model stores colours as the toolkit does: a system colour index with
// the top bit set (clBtnFace, clWindow).
int SysColorIndex(std::uint32_t color) {
  return (color & 0x80000000u) ? static_cast<int>(color & 0xFF) : COLOR_WINDOW;
}

std::string TextOf(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(hwnd, text.data(), n + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

void SetEnabled(HWND hwnd, bool enabled) {
  if ((IsWindowEnabled(hwnd) != FALSE) != enabled) EnableWindow(hwnd, enabled);
}

Error UnknownControl(const char* name) {
  return Error(std::string("The panel's layout names no control of the model: ") + name);
}

// The controls' own procedures, behind the ones the main window puts in
// front of a few of them. All boxes are of one class, and so share one.
WNDPROC g_buttonProc = nullptr;
WNDPROC g_editProc = nullptr;

// A plain replacement of the window procedure, with the main window in
// GWLP_USERDATA. The common controls' subclass chain would look its data up
// on every message the control gets (under Wine a server call each time, a
// few hundred of them while the panel first paints).
void Subclass(HWND control, WNDPROC proc, WNDPROC* original, void* self) {
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  const LONG_PTR previous =
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  if (!*original) *original = reinterpret_cast<WNDPROC>(previous);
}

// A colour change shows at the next paint; before the first show that paint
// comes anyway, so a hidden control is not invalidated.
void Repaint(HWND control) {
  if (IsWindowVisible(control)) InvalidateRect(control, nullptr, TRUE);
}

}  // namespace

MainWindow::MainWindow(TIZelvora& model, Win32Platform& platform)
    : model_(model), platform_(platform) {
  platform_.onAboutLinkClick = [this] { Run([this] { model_.Label2Click(); }); };
}

MainWindow::~MainWindow() {
  platform_.onAboutLinkClick = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
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
  RECT rc{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&rc, kWindowStyle, menu != nullptr, 0);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  CreateWindowExA(0, className, kMainCaption, kWindowStyle, x, y, w, h, nullptr, menu, instance,
                  this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
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
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return OnColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_CLOSE:
      // "E&xit" and the close box: the main window goes, and the program
      // with it. Nothing is asked and nothing is saved.
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      model_.Dispatch([this] { model_.FormDestroy(); });
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
  Window(hwnd_).SetFont(fonts_.normal);
  toolBar_.Create(hwnd_, IDC_TOOLBAR, kClientWidth, kToolBarHeight, fonts_.normal);
  CreatePanel1();
  CreatePanel2();
  CreateStatusBar();
  // FormCreate: the first-run check, the status line, the theming component
  // and the first reading of the settings, before the window is shown. The
  // controls take the model's state once, after the reading: fill, then show.
  Run([this] { model_.FormCreate(); });
}

void MainWindow::CreatePanel1() {
  const int x = toolBar_.ButtonsRight();
  const int y = (kToolBarHeight - kPanel1Height) / 2;
  panel1_ =
      CreatePanel(toolBar_.Handle(), hwnd_, IDC_PANEL1, x, y, kPanel1Width, kPanel1Height, true);
  // Both title labels open the publisher's site (SS_NOTIFY: STN_CLICKED).
  const Child label = Child("STATIC").Style(SS_CENTER | SS_NOTIFY).In(panel1_);
  glLabel2_ = CreateChild(Child(label)
                              .Text("Internet Zelvora")
                              .At(4, 3, kPanel1Width - 8, 25)
                              .Id(IDC_GLLABEL2)
                              .Font(fonts_.title));
  glLabel1_ = CreateChild(Child(label)
                              .Text("for Win9x / ME / NT / XP/ 7/ 8")
                              .At(4, 29, kPanel1Width - 8, 15)
                              .Id(IDC_GLLABEL1)
                              .Font(fonts_.normal));
}

void MainWindow::CreatePanel2() {
  panel2_ =
      CreatePanel(hwnd_, hwnd_, IDC_PANEL2, 0, kToolBarHeight, kClientWidth, kPanel2Height, false);
  std::vector<HWND> groups;
  int id = IDC_PANEL_FIRST;
  for (const CtlPlace& p : kPanelLayout) {
    const Child child =
        Child("BUTTON").At(p.x, p.y, p.w, p.h).In(panel2_).Id(id++).Font(fonts_.normal);
    switch (p.kind) {
      case CtlKind::Group:
        groups.push_back(CreateChild(Child(child).Text(p.text).Style(BS_GROUPBOX)));
        break;
      case CtlKind::Label:
        CreateChild(Child(child).Class("STATIC").Text(p.text).Style(SS_LEFT));
        break;
      case CtlKind::Box: {
        CheckBoxCtl& box = ModelBox(p.name);
        // Choices look like radio buttons and plain options like check
        // boxes; neither style is "auto": the model decides every state.
        const DWORD look = box.group != 0 ? BS_RADIOBUTTON : BS_CHECKBOX;
        HWND hwnd = CreateChild(Child(child).Text(box.caption).Style(look | WS_TABSTOP));
        if (box.group != 0) Subclass(hwnd, ChoiceProc, &g_buttonProc, this);
        boxes_.push_back({&box, hwnd});
        break;
      }
      case CtlKind::Edit: {
        EditCtl& edit = ModelEdit(p.name);
        HWND hwnd = CreateChild(Child(child)
                                    .Class("EDIT")
                                    .Text(edit.text.c_str())
                                    .Style(ES_AUTOHSCROLL | WS_TABSTOP)
                                    .ExStyle(WS_EX_CLIENTEDGE));
        EditBox(hwnd).SetNoLimit();
        if (&edit == &model_.Edit2) Subclass(hwnd, Edit2Proc, &g_editProc, this);
        edits_.push_back({&edit, hwnd, true, 0});
        break;
      }
      case CtlKind::Combo:
        if (p.name != std::string(model_.ComboBox1.name)) throw UnknownControl(p.name);
        combo_ = CreateChild(Child(child)
                                 .Class("COMBOBOX")
                                 .Style(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP)
                                 .At(p.x, p.y, p.w, kComboDropHeight));
        for (const char* item : kComboItems) ComboBox(combo_).AddString(item);
        comboEnabled_ = true;
        break;
    }
  }
  AddTooltips(groups);
}

CheckBoxCtl& MainWindow::ModelBox(const char* name) {
  if (CheckBoxCtl* box = model_.FindBox(name)) return *box;
  throw UnknownControl(name);
}

EditCtl& MainWindow::ModelEdit(const char* name) {
  if (EditCtl* edit = model_.FindEdit(name)) return *edit;
  throw UnknownControl(name);
}

void MainWindow::CreateStatusBar() {
  statusBar_ =
      CreateChild(Child(STATUSCLASSNAMEA)
                      .Style(CCS_NOPARENTALIGN | CCS_NORESIZE)
                      .At(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight)
                      .In(hwnd_)
                      .Id(IDC_STATUSBAR)
                      .Font(fonts_.normal));
}

void MainWindow::AddTooltips(const std::vector<HWND>& groups) {
  const Tooltip tip(hwnd_, TTS_NOPREFIX);
  tooltip_ = tip.Handle();
  if (!tooltip_) return;
  tip.SetMaxTipWidth(320);

  // A group box lets the mouse through to the panel beneath it, so its tip
  // is a rectangle of Panel2. The tooltip takes the first rectangle that
  // holds the mouse; a group box nested in another comes later in the
  // layout, so the rectangles are added from the last group to the first.
  size_t g = groups.size();
  for (auto p = std::rbegin(kPanelLayout); p != std::rend(kPanelLayout); ++p) {
    if (p->kind != CtlKind::Group) continue;
    --g;
    if (p->hint)
      tip.AddRectTool(panel2_, g, RECT{p->x, p->y, p->x + p->w, p->y + p->h}, p->hint,
                      Tooltip::Mouse::Relayed);
  }
  // Boxes whose hint is none have no tooltip.
  for (const BoxView& b : boxes_) {
    if (b.box->hint) tip.AddWindowTool(panel2_, b.hwnd, b.box->hint, Tooltip::Mouse::Relayed);
  }
}

void MainWindow::RelayMouse(const MSG& msg) {
  if (!tooltip_ || msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) return;
  if (msg.hwnd != panel2_ && GetParent(msg.hwnd) != panel2_) return;
  SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(const_cast<MSG*>(&msg)));
}

void MainWindow::OnCommand(int id, int code, HWND control) {
  // Menu items and accelerators come without a control; toolbar buttons
  // from the toolbar.
  if (!control || control == toolBar_.Handle()) {
    if (const Command* c = FindCommand(id)) Run([this, c] { (model_.*(c->run))(); });
    return;
  }
  if ((control == glLabel2_ || control == glLabel1_) && code == STN_CLICKED) {
    Run([this] { model_.glLabel2Click(); });
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
      const std::string text = TextOf(control);
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
    color = model_.ComboBox1.color;
    enabled = model_.ComboBox1.enabled;
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
    const ComboCtl& c = model_.ComboBox1;
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
  writing_ = false;
}

void MainWindow::MirrorEdit(EditView& view) {
  const EditCtl& edit = *view.edit;
  if (TextOf(view.hwnd) != edit.text) SetWindowTextA(view.hwnd, edit.text.c_str());
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
      w->model_.Dispatch(
          [w, wp, &discard] { discard = w->model_.Edit2KeyPress(static_cast<char>(wp)); });
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
