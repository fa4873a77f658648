#pragma once
// The main window (component IZelvora): the Win32 view of the TIZelvora
// model. It builds the standard controls of the tuning panel, forwards each
// user event to the model through TIZelvora::Dispatch, and after every event
// mirrors the whole model back into the controls. It never changes the model
// in any other way.
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

#include "commands/izelvora.h"
#include "win32/controls.h"
#include "win32/panel_layout.h"
#include "win32/toolbar.h"
#include "win32/win.h"
#include "win32/win32_platform.h"

namespace iz::win32 {

// A list of at most N items held in place. The panel's controls are counted
// by its layout, so their lists never grow past it, and a growing vector's
// copy of itself is code for every item type.
template <class T, std::size_t N>
class FixedList {
 public:
  void push_back(const T& item) {
    if (size_ < N) items_[size_++] = item;
  }
  std::size_t size() const { return size_; }
  T& back() { return items_[size_ - 1]; }
  T& operator[](std::size_t i) { return items_[i]; }
  T* begin() { return items_; }
  T* end() { return items_ + size_; }
  const T* begin() const { return items_; }
  const T* end() const { return items_ + size_; }

 private:
  T items_[N] = {};
  std::size_t size_ = 0;
};

class MainWindow : private Win32Platform::View {
 public:
  MainWindow(TIZelvora& model, Win32Platform& platform);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, fixed size and centred on the work area (at its top
  // left where it is too small), but does not show it.
  // OnCreate runs inside (WM_CREATE). className is the application's title.
  bool Create(HINSTANCE instance, const char* className);
  // Null once the window is destroyed.
  HWND Handle() const { return hwnd_; }
  // Shows the panel's tooltips: the message loop hands them the panel's mouse
  // messages. Subclassing the panel and the boxes for them would put a
  // lookup in front of every message those windows get (under Wine a server
  // call each, about 1,400 of them before the window is first idle).
  void RelayMouse(const MSG& msg);
  // The keyboard before the message is dispatched: the menu's shortcuts
  // (unless the focused control uses the key), then Tab, the arrow keys and
  // the others of the dialog keyboard. True when the message was used.
  bool TranslateKeys(MSG& msg);

 private:
  // A key down that the window handles before the dialog keyboard: the
  // toolbar's keys while it has the focus, and the arrow keys on the
  // panel's buttons. True when used.
  bool OwnKey(HWND focus, const MSG& msg);
  void OnAboutLinkClick() override;
  void OnModelChanged() override { Mirror(); }
  struct BoxView {
    CheckBoxCtl* box;
    HWND hwnd;
  };
  // A child whose place and font follow the DPI: its place in its parent at
  // 96 DPI.
  struct Placed {
    HWND hwnd;
    int x, y, w, h;
    HFONT Fonts::*font;
    int fillTo;  // the group box's right edge for CtlPlace::fill, else 0
    RECT At(int dpi) const;
  };
  struct EditView {
    EditCtl* edit;
    HWND hwnd;
    bool enabled;
    std::uint32_t color;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Put in front of customMtu's and the choice boxes' own procedures (Subclass).
  static LRESULT CALLBACK Edit2Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ChoiceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  void OnCreate();
  void CreatePanel1();
  void PlacePanel1();
  void CreatePanel2();
  // The model's control of a layout name; an unknown name raises Error.
  CheckBoxCtl& ModelBox(const char* name);
  EditCtl& ModelEdit(const char* name);
  void CreateStatusBar();
  HWND Place(const Child& child, HFONT Fonts::*font, int fillTo = 0);
  void AddTooltips();
  // The layout, the fonts and the icons at another DPI.
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnActivate(bool active, bool minimized);
  void RestoreFocus();
  // One tab stop per run of choices: on its checked choice, or its first.
  void MirrorTabStops();
  void OnCommand(int id, int code, HWND control);
  // "&Find Largest MTU..." needs ICMP and the sockets library: without them
  // the item is greyed, and the status line says why while it is selected.
  void OnInitMenu(HMENU menu);
  void OnMenuSelect(int id, UINT flags);
  LRESULT OnColor(UINT msg, HDC dc, HWND control);

  // Runs a handler the way every event does: errors go to the general error
  // report, then the controls show the model again.
  // Each handler passes through one copy of the dispatch and its error
  // report rather than one per handler.
  template <class F>
  void Run(F&& handler, bool mirror = true) {
    RunHandler([](void* f) { (*static_cast<std::remove_reference_t<F>*>(f))(); }, &handler, mirror);
  }
  // The command's handler; an id that is no command does nothing.
  void RunCommand(int id);
  void RunHandler(void (*call)(void*), void* handler, bool mirror);
  void Mirror();
  void MirrorEdit(EditView& view);

  TIZelvora& model_;
  Win32Platform& platform_;
  HWND hwnd_ = nullptr;
  HACCEL accelerators_ = nullptr;
  int dpi_ = kDesignDpi;
  Fonts fonts_;
  ToolBar toolBar_;
  // The panel's controls and Panel1's two labels.
  FixedList<Placed, std::size(kPanelLayout) + 2> placed_;
  std::size_t groups_ = 0;  // the panel's group boxes
  // The choices of each run: they follow one another in boxes_.
  struct ChoiceRun {
    std::size_t first, count;
  };
  FixedList<ChoiceRun, std::size(kPanelLayout)> runs_;
  // The control that had the focus when the window was last deactivated.
  HWND lastFocus_ = nullptr;
  HWND panel1_ = nullptr, panel2_ = nullptr, statusBar_ = nullptr, tooltip_ = nullptr;
  HWND glLabel2_ = nullptr, glLabel1_ = nullptr;
  HWND combo_ = nullptr;
  bool comboEnabled_ = false;
  std::uint32_t comboColor_ = 0;
  FixedList<BoxView, std::size(kPanelLayout)> boxes_;
  FixedList<EditView, std::size(kPanelLayout)> edits_;
  std::string statusShown_;
  std::string mtuUnavailable_;     // why the echoes cannot be sent; "" when they can
  std::string modernUnavailable_;  // why the modern TCP settings are greyed; "" when offered
  bool statusBoldShown_ = false;
  bool statusSimpleShown_ = false;
  // Set while the view writes into the controls: the EN_CHANGE that its own
  // SetWindowText raises is not a user's change.
  bool writing_ = false;
  // Set while a choice box takes the focus: a radio-style button reports a
  // click when it gets the focus unchecked (tabbing, or focus coming back
  // after a dialog), which is not the user's click.
  int focusing_ = 0;
};

}  // namespace iz::win32
