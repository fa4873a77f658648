// The main window's life: wiring the panel's events to their handlers,
// start-up, the end of the window, leaving the program and the general error
// report.
#include "app/izelvora.h"

#include "app/os_kind.h"

namespace iz {

namespace {

using Handler = void (TIZelvora::*)();

struct ClickWire {
  CheckBoxCtl Panel::*box;
  Handler handler;
};

struct ChangeWire {
  EditCtl Panel::*edit;
  Handler handler;
};

// Each handler keeps the name of the component it was first written for, so
// " Automatic Mode 1" (RadioButton3) runs glCheckBox6Click. The independent
// boxes have no handler.
constexpr ClickWire kClickWires[] = {
    {&Panel::glCheckBox1, &TIZelvora::glCheckBox1Click},
    {&Panel::glCheckBox2, &TIZelvora::glCheckBox2Click},
    {&Panel::glCheckBox3, &TIZelvora::glCheckBox3Click},
    {&Panel::glCheckBox4, &TIZelvora::glCheckBox4Click},
    {&Panel::glCheckBox5, &TIZelvora::glCheckBox5Click},
    {&Panel::RadioButton3, &TIZelvora::glCheckBox6Click},
    {&Panel::glCheckBox7, &TIZelvora::glCheckBox7Click},
    {&Panel::glCheckBox12, &TIZelvora::glCheckBox12Click},
    {&Panel::RadioButton4, &TIZelvora::RadioButton4Click},
    {&Panel::RadioButton5, &TIZelvora::RadioButton5Click},
    {&Panel::RadioButton6, &TIZelvora::RadioButton6Click},
    {&Panel::RadioButton7, &TIZelvora::RadioButton7Click},
    {&Panel::RadioButton8, &TIZelvora::RadioButton8Click},
    {&Panel::RadioButton9, &TIZelvora::RadioButton9Click},
    {&Panel::RadioButton10, &TIZelvora::RadioButton10Click},
    {&Panel::RadioButton11, &TIZelvora::RadioButton11Click},
    {&Panel::RadioButton12, &TIZelvora::RadioButton12Click},
    {&Panel::RadioButton13, &TIZelvora::RadioButton13Click},
    {&Panel::RadioButton14, &TIZelvora::RadioButton14Click},
    {&Panel::RadioButton15, &TIZelvora::RadioButton15Click},
    {&Panel::RadioButton16, &TIZelvora::RadioButton16Click},
    {&Panel::RadioButton17, &TIZelvora::RadioButton17Click},
    {&Panel::RadioButton18, &TIZelvora::RadioButton18Click},
    {&Panel::RadioButton19, &TIZelvora::RadioButton19Click},
};

// Edit6 and Edit7 have no change rule.
constexpr ChangeWire kChangeWires[] = {
    {&Panel::Edit1, &TIZelvora::Edit1Change}, {&Panel::Edit2, &TIZelvora::Edit2Change},
    {&Panel::Edit3, &TIZelvora::Edit3Change}, {&Panel::Edit4, &TIZelvora::Edit4Change},
    {&Panel::Edit5, &TIZelvora::Edit5Change},
};

}  // namespace

TIZelvora::TIZelvora(RawRegistry& registry, ProfileStrings& profiles, Platform& platform)
    : registry_(registry), profiles_(profiles), platform_(platform) {
  for (const ClickWire& w : kClickWires) {
    (this->*w.box).onClick = [this, h = w.handler] { (this->*h)(); };
  }
  for (const ChangeWire& w : kChangeWires) {
    (this->*w.edit).onChange = [this, h = w.handler] { (this->*h)(); };
  }
  ComboBox1.onChange = [this] { ComboBox1Change(); };
}

TIZelvora::~TIZelvora() = default;

// An error raised by any step leaves this function at once; the caller's
// dispatch shows it and the window opens with what the earlier steps did.
void TIZelvora::FormCreate() {
  FirstRunCheck();

  StatusSimple = true;
  StatusBold = true;
  StatusText = std::string(kStatusPrefix) + OSName(GetOSKind(platform_));

  // The created component replaces the one of the window's design as the
  // window's theming component.
  ThemeManager = std::make_unique<iz::ThemeManager>(iz::ThemeManager{"ThemeManager1"});
  platform_.ApplyTheming();

  // Asked again rather than reused, as every family-dependent step does; an
  // unrecognised system (kUnknown) is read as the 9x family.
  const int kind = GetOSKind(platform_);
  if (Is9xFamily(kind)) {
    Read9xSettings();
  } else if (IsNTFamily(kind)) {
    ReadNTSettings();
  }
}

void TIZelvora::FormDestroy() { ThemeManager.reset(); }

// The main window is the application's: closing it ends the program.
void TIZelvora::Exit1Click() { platform_.CloseMainWindow(); }

void TIZelvora::ToolButton10Click() { platform_.TerminateApplication(); }

void TIZelvora::ReportError(const std::string& text) {
  platform_.MessageBox(ErrorReportText(text), kAppTitle, MsgIcon::Error, MsgButtons::Ok);
}

// A text ending in a letter or digit gains a full stop; one ending in a
// closing apostrophe, a full stop or a blank does not. Characters above 127
// sort after '.' too.
std::string TIZelvora::ErrorReportText(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
  return text;
}

}  // namespace iz
