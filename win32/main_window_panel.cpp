// The main window's panel: its controls made and placed from the layout
// table, the status bar and the tooltips.
#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <string>

#include "win32/main_window.h"
#include "win32/main_window_detail.h"
#include "win32/panel_layout.h"
#include "win32/resource_ids.h"

namespace iz::win32 {

using namespace main_window_detail;

RECT MainWindow::Placed::At(int dpi) const {
  RECT r = ScaleRect(x, y, w, h, dpi);
  if (fillTo && dpi != kDesignDpi) r.right = std::max<LONG>(r.right, Scale(fillTo - 2, dpi));
  return r;
}

HWND MainWindow::Place(const Child& child, HFONT Fonts::*font, int fillTo) {
  const Placed placed{nullptr, child.x_, child.y_, child.w_, child.h_, font, fillTo};
  const RECT r = placed.At(dpi_);
  HWND hwnd = CreateChild(
      Child(child).At(r.left, r.top, r.right - r.left, r.bottom - r.top).Font(fonts_.*font));
  placed_.push_back(placed);
  placed_.back().hwnd = hwnd;
  return hwnd;
}

void MainWindow::CreatePanel1() {
  panel1_ = CreatePanel(toolBar_.Handle(), hwnd_, IDC_PANEL1, 0, 0, 0, 0, true);
  PlacePanel1();
  // Both title labels open the publisher's site (SS_NOTIFY: STN_CLICKED).
  const Child label = Child("STATIC").Style(SS_CENTER | SS_NOTIFY).In(panel1_);
  glLabel2_ =
      Place(Child(label).Text("Internet Zelvora").At(4, 3, kPanel1Width - 8, 25).Id(IDC_GLLABEL2),
            &Fonts::title);
  glLabel1_ = Place(Child(label)
                        .Text("for Win9x / ME / NT / XP/ 7/ 8")
                        .At(4, 29, kPanel1Width - 8, 15)
                        .Id(IDC_GLLABEL1),
                    &Fonts::normal);
}

void MainWindow::PlacePanel1() {
  // Right of the toolbar's buttons, centred in its height.
  const int w = Scale(kPanel1Width, dpi_), h = Scale(kPanel1Height, dpi_);
  const int y = (Scale(kToolBarHeight, dpi_) - h) / 2;
  SetWindowPos(panel1_, nullptr, toolBar_.ButtonsRight(), y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::CreatePanel2() {
  const RECT r = ScaleRect(0, kToolBarHeight, kClientWidth, kPanel2Height, dpi_);
  panel2_ = CreatePanel(hwnd_, hwnd_, IDC_PANEL2, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        false);
  int id = IDC_PANEL_FIRST;
  // Every control starts a group (WS_GROUP) but a choice that follows one of
  // its own group: the choices in a row form one run, one tab stop, that the
  // arrow keys move through. MirrorTabStops gives each run its tab stop.
  int runGroup = 0;
  int groupRight = 0;
  for (const CtlPlace& p : kPanelLayout) {
    Child child = Child("BUTTON").At(p.x, p.y, p.w, p.h).In(panel2_).Id(id++).Text(p.text);
    CheckBoxCtl* box = p.kind == CtlKind::Box ? &ModelBox(p.name) : nullptr;
    const int group = box ? box->group : Group::kIndependent;
    const bool continuesRun = group != Group::kIndependent && group == runGroup;
    runGroup = group;
    EditCtl* edit = nullptr;
    DWORD style = 0;
    int fillTo = 0;
    switch (p.kind) {
      case CtlKind::Group:
        groupRight = p.x + p.w;
        style = BS_GROUPBOX;
        break;
      case CtlKind::Name:
        child.Hidden();
        [[fallthrough]];
      case CtlKind::Label:
        child.Class("STATIC");
        style = SS_LEFT;
        break;
      case CtlKind::Box:
        // Choices look like radio buttons and plain options like check
        // boxes; neither style is "auto": the model decides every state.
        child.Text(box->caption);
        style = group != Group::kIndependent ? BS_RADIOBUTTON : BS_CHECKBOX | WS_TABSTOP;
        if (p.fill) fillTo = groupRight;
        break;
      case CtlKind::Edit:
        edit = &ModelEdit(p.name);
        child.Class("EDIT").Text(edit->text.c_str()).ExStyle(WS_EX_CLIENTEDGE);
        style = ES_AUTOHSCROLL | WS_TABSTOP;
        break;
      case CtlKind::Combo:
        if (std::strcmp(p.name, model_.rwinMultiples.name) != 0) throw UnknownControl(p.name);
        child.Class("COMBOBOX").Text("").At(p.x, p.y, p.w, kComboDropHeight);
        style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        break;
    }
    const HWND hwnd =
        Place(child.Style(style | (continuesRun ? 0 : WS_GROUP)), &Fonts::normal, fillTo);
    if (p.kind == CtlKind::Group) ++groups_;
    if (box) {
      if (group != Group::kIndependent) {
        Subclass(hwnd, ChoiceProc, &g_buttonProc, this);
        if (!continuesRun) runs_.push_back({boxes_.size(), 0});
        ++runs_.back().count;
      }
      boxes_.push_back({box, hwnd});
    }
    if (edit) {
      EditBox(hwnd).SetNoLimit();
      if (edit == &model_.customMtu) Subclass(hwnd, Edit2Proc, &g_editProc, this);
      edits_.push_back({edit, hwnd, true, 0});
    }
    if (p.kind == CtlKind::Combo) {
      combo_ = hwnd;
      for (const char* item : kComboItems) ComboBox(combo_).AddString(item);
      comboEnabled_ = true;
    }
  }
  AddTooltips();
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
  // Not among the placed children: its font changes with the model's
  // StatusBold (see Mirror).
  statusBar_ =
      CreateChild(Child(STATUSCLASSNAMEA)
                      .Style(CCS_NOPARENTALIGN | CCS_NORESIZE)
                      .At(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight)
                      .Dpi(dpi_)
                      .In(hwnd_)
                      .Id(IDC_STATUSBAR)
                      .Font(fonts_.normal));
}

void MainWindow::AddTooltips() {
  const Tooltip tip(hwnd_, TTS_NOPREFIX);
  tooltip_ = tip.Handle();
  if (!tooltip_) return;
  tip.SetMaxTipWidth(Scale(320, dpi_));

  // A group box lets the mouse through to the panel beneath it, so its tip
  // is a rectangle of Panel2. The tooltip takes the first rectangle that
  // holds the mouse; a group box nested in another comes later in the
  // layout, so the rectangles are added from the last group to the first.
  size_t g = groups_;
  for (auto p = std::rbegin(kPanelLayout); p != std::rend(kPanelLayout); ++p) {
    if (p->kind != CtlKind::Group) continue;
    --g;
    if (p->hint)
      tip.AddRectTool(panel2_, g, ScaleRect(p->x, p->y, p->w, p->h, dpi_), p->hint,
                      Tooltip::Mouse::Relayed);
  }
  // Boxes whose hint is none have no tooltip.
  for (const BoxView& b : boxes_) {
    if (b.box->hint) tip.AddWindowTool(panel2_, b.hwnd, b.box->hint, Tooltip::Mouse::Relayed);
  }
}

}  // namespace iz::win32
