#include "app/win32/main_window.h"

#include <iterator>
#include <string>

#include "app/win32/commands.h"
#include "app/win32/panel_layout.h"
#include "app/win32/resource_ids.h"

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
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON));
  wc.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAINICON), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  if (!RegisterClassExA(&wc)) return false;

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
      OnCreate();
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
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);
  toolBar_.Create(hwnd_, IDC_TOOLBAR, kClientWidth, kToolBarHeight, fonts_.normal);
  CreatePanel1();
  CreatePanel2();
  CreateStatusBar();
  Mirror();
  // FormCreate: the first-run check, the status line, the theming component
  // and the first reading of the settings, before the window is shown.
  Run([this] { model_.FormCreate(); });
}

void MainWindow::CreatePanel1() {
  const int x = toolBar_.ButtonsRight();
  const int y = (kToolBarHeight - kPanel1Height) / 2;
  panel1_ =
      CreatePanel(toolBar_.Handle(), hwnd_, IDC_PANEL1, x, y, kPanel1Width, kPanel1Height, true);
  // Both title labels open the publisher's site (SS_NOTIFY: STN_CLICKED).
  glLabel2_ = CreateChild(0, "STATIC", "Internet Zelvora", SS_CENTER | SS_NOTIFY, 4, 3,
                          kPanel1Width - 8, 25, panel1_, IDC_GLLABEL2, fonts_.title);
  glLabel1_ = CreateChild(0, "STATIC", "for Win9x / ME / NT / XP/ 7/ 8", SS_CENTER | SS_NOTIFY, 4,
                          29, kPanel1Width - 8, 15, panel1_, IDC_GLLABEL1, fonts_.normal);
}

void MainWindow::CreatePanel2() {
  panel2_ =
      CreatePanel(hwnd_, hwnd_, IDC_PANEL2, 0, kToolBarHeight, kClientWidth, kPanel2Height, false);
  std::vector<HWND> groups;
  int id = IDC_PANEL_FIRST;
  for (const CtlPlace& p : kPanelLayout) {
    switch (p.kind) {
      case CtlKind::Group:
        groups.push_back(CreateChild(0, "BUTTON", p.text, BS_GROUPBOX, p.x, p.y, p.w, p.h, panel2_,
                                     id, fonts_.normal));
        break;
      case CtlKind::Label:
        CreateChild(0, "STATIC", p.text, SS_LEFT, p.x, p.y, p.w, p.h, panel2_, id, fonts_.normal);
        break;
      case CtlKind::Box: {
        CheckBoxCtl* box = model_.FindBox(p.name);
        if (!box) break;
        // Choices look like radio buttons and plain options like check
        // boxes; neither style is "auto": the model decides every state.
        const DWORD look = box->group != 0 ? BS_RADIOBUTTON : BS_CHECKBOX;
        HWND hwnd = CreateChild(0, "BUTTON", box->caption, look | WS_TABSTOP, p.x, p.y, p.w, p.h,
                                panel2_, id, fonts_.normal);
        if (box->group != 0)
          SetWindowSubclass(hwnd, ChoiceProc, 0, reinterpret_cast<DWORD_PTR>(this));
        boxes_.push_back({box, hwnd});
        break;
      }
      case CtlKind::Edit: {
        EditCtl* edit = model_.FindEdit(p.name);
        if (!edit) break;
        HWND hwnd =
            CreateChild(WS_EX_CLIENTEDGE, "EDIT", edit->text.c_str(), ES_AUTOHSCROLL | WS_TABSTOP,
                        p.x, p.y, p.w, p.h, panel2_, id, fonts_.normal);
        SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);  // no length limit
        if (edit == &model_.Edit2)
          SetWindowSubclass(hwnd, Edit2Proc, 0, reinterpret_cast<DWORD_PTR>(this));
        edits_.push_back({edit, hwnd, true, 0});
        break;
      }
      case CtlKind::Combo:
        combo_ = CreateChild(0, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, p.x,
                             p.y, p.w, kComboDropHeight, panel2_, id, fonts_.normal);
        for (const char* item : kComboItems)
          SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        comboEnabled_ = true;
        break;
    }
    ++id;
  }
  AddTooltips(groups);
}

void MainWindow::CreateStatusBar() {
  statusBar_ = CreateChild(0, STATUSCLASSNAMEA, "", CCS_NOPARENTALIGN | CCS_NORESIZE, 0,
                           kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight, hwnd_,
                           IDC_STATUSBAR, fonts_.normal);
}

void MainWindow::AddTooltips(const std::vector<HWND>& groups) {
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (!tooltip_) return;
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 320);

  // A group box lets the mouse through to the panel beneath it, so its tip
  // is a rectangle of Panel2. The tooltip takes the first rectangle that
  // holds the mouse; a group box nested in another comes later in the
  // layout, so the rectangles are added from the last group to the first.
  size_t g = groups.size();
  for (auto p = std::rbegin(kPanelLayout); p != std::rend(kPanelLayout); ++p) {
    if (p->kind != CtlKind::Group) continue;
    --g;
    if (!p->hint) continue;
    TOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = panel2_;
    ti.uId = g;
    ti.rect = RECT{p->x, p->y, p->x + p->w, p->y + p->h};
    ti.lpszText = const_cast<char*>(p->hint);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  }
  // Boxes whose hint is none have no tooltip.
  for (const BoxView& b : boxes_) {
    if (!b.box->hint) continue;
    TOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = panel2_;
    ti.uId = reinterpret_cast<UINT_PTR>(b.hwnd);
    ti.lpszText = const_cast<char*>(b.box->hint);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  }
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
      const int index = static_cast<int>(SendMessageA(combo_, CB_GETCURSEL, 0, 0));
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
    const LRESULT want = b.box->checked ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageA(b.hwnd, BM_GETCHECK, 0, 0) != want) SendMessageA(b.hwnd, BM_SETCHECK, want, 0);
    SetEnabled(b.hwnd, b.box->enabled);
  }
  for (EditView& e : edits_) MirrorEdit(e);
  if (combo_) {
    const ComboCtl& c = model_.ComboBox1;
    if (SendMessageA(combo_, CB_GETCURSEL, 0, 0) != c.itemIndex)
      SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(c.itemIndex), 0);
    if (comboEnabled_ != c.enabled || comboColor_ != c.color) {
      SetEnabled(combo_, c.enabled);
      InvalidateRect(combo_, nullptr, TRUE);
      comboEnabled_ = c.enabled;
      comboColor_ = c.color;
    }
  }
  if (statusBar_) {
    if (statusSimpleShown_ != model_.StatusSimple) {
      SendMessageA(statusBar_, SB_SIMPLE, model_.StatusSimple, 0);
      statusSimpleShown_ = model_.StatusSimple;
    }
    if (statusBoldShown_ != model_.StatusBold) {
      SendMessageA(statusBar_, WM_SETFONT,
                   reinterpret_cast<WPARAM>(model_.StatusBold ? fonts_.bold : fonts_.normal), TRUE);
      statusBoldShown_ = model_.StatusBold;
    }
    if (statusShown_ != model_.StatusText) {
      // In simple mode the text lives in the simple part; set both so that it
      // shows whichever mode the model chose.
      SendMessageA(statusBar_, SB_SETTEXTA, SB_SIMPLEID,
                   reinterpret_cast<LPARAM>(model_.StatusText.c_str()));
      SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(model_.StatusText.c_str()));
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
    InvalidateRect(view.hwnd, nullptr, TRUE);
    view.enabled = edit.enabled;
    view.color = edit.color;
  }
}

LRESULT CALLBACK MainWindow::Edit2Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) {
  if (msg == WM_CHAR) {
    auto* w = reinterpret_cast<MainWindow*>(self);
    bool discard = false;
    try {
      w->model_.Dispatch(
          [w, wp, &discard] { discard = w->model_.Edit2KeyPress(static_cast<char>(wp)); });
    } catch (...) {  // nothing unwinds through the system's callback
    }
    if (discard) return 0;
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, Edit2Proc, 0);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::ChoiceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR self) {
  if (msg == WM_SETFOCUS) {
    auto* w = reinterpret_cast<MainWindow*>(self);
    ++w->focusing_;
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    --w->focusing_;
    return r;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ChoiceProc, 0);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace iz::win32
