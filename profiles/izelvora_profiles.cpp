// The handlers of the connection types, the methods and the fixed choices.
#include <utility>

#include "app/izelvora.h"
#include "profiles/profile_table.h"

namespace iz {

namespace {

// The " Custom" choice of each value group with the field it opens.
constexpr std::pair<BoxRef, EditCtl Panel::*> kCustomChoices[] = {
    {&Panel::RadioButton11, &Panel::Edit2},
    {&Panel::RadioButton17, &Panel::Edit4},
    {&Panel::RadioButton15, &Panel::Edit3},
    {&Panel::RadioButton8, &Panel::Edit1},
    {&Panel::RadioButton19, &Panel::Edit5}};

// Marks " Custom" in the five value groups and opens their fields; the texts
// stay, so the user starts from the values last shown.
void OpenValueFields(Panel& panel) {
  for (const auto& [choice, edit] : kCustomChoices) {
    panel.SetChecked(panel.*choice, true);
    panel.Open(panel.*edit);
  }
}

// A type's click: the first automatic method checked decides the profile;
// under Custom Mode nothing is loaded and the value fields open.
void TypeClicked(Panel& panel, ConnectionType type) {
  for (int m = 0; m < kAutomaticMethodCount; ++m) {
    if ((panel.*kMethodBoxes[m]).checked) {
      LoadProfile(panel, type, static_cast<Method>(m));
      return;
    }
  }
  OpenValueFields(panel);
}

// A method's click loads it for the first type checked; with no type checked
// there is nothing to load.
void MethodClicked(Panel& panel, Method method) {
  for (int t = 0; t < kConnectionTypeCount; ++t) {
    if ((panel.*kTypeBoxes[t]).checked) {
      LoadProfile(panel, static_cast<ConnectionType>(t), method);
      return;
    }
  }
}

// A fixed choice: its value first, so the field's rule runs, then the lock.
void Fix(Panel& panel, EditCtl& edit, const char* text) {
  panel.SetText(edit, text);
  panel.Lock(edit);
}

}  // namespace

void TIZelvora::glCheckBox1Click() { TypeClicked(*this, ConnectionType::Modem); }
void TIZelvora::glCheckBox2Click() { TypeClicked(*this, ConnectionType::Isdn); }
void TIZelvora::glCheckBox3Click() { TypeClicked(*this, ConnectionType::CableDsl); }
void TIZelvora::glCheckBox4Click() { TypeClicked(*this, ConnectionType::Pppoe); }
void TIZelvora::glCheckBox5Click() { TypeClicked(*this, ConnectionType::Extreme); }

// Named after the box it was first written for; it is " Automatic Mode 1"'s.
void TIZelvora::glCheckBox6Click() { MethodClicked(*this, Method::Automatic1); }
void TIZelvora::glCheckBox7Click() { MethodClicked(*this, Method::Automatic2); }
void TIZelvora::glCheckBox12Click() { MethodClicked(*this, Method::Automatic3); }

// Custom Mode opens all seven fields whatever type is checked; the list stays
// locked until " Multiple" is chosen.
void TIZelvora::RadioButton4Click() {
  OpenValueFields(*this);
  Open(Edit6);
  Open(Edit7);
  Lock(ComboBox1);
}

void TIZelvora::RadioButton9Click() { Fix(*this, Edit2, "576"); }
void TIZelvora::RadioButton10Click() { Fix(*this, Edit2, "1500"); }
void TIZelvora::RadioButton11Click() { Open(Edit2); }

void TIZelvora::RadioButton5Click() { Fix(*this, Edit1, "32"); }
void TIZelvora::RadioButton6Click() { Fix(*this, Edit1, "64"); }
void TIZelvora::RadioButton7Click() { Fix(*this, Edit1, "128"); }
void TIZelvora::RadioButton8Click() { Open(Edit1); }

void TIZelvora::RadioButton12Click() { Fix(*this, Edit3, "0"); }
void TIZelvora::RadioButton13Click() { Fix(*this, Edit3, "16"); }
void TIZelvora::RadioButton14Click() { Fix(*this, Edit3, "32"); }
void TIZelvora::RadioButton15Click() { Open(Edit3); }

void TIZelvora::RadioButton18Click() { Fix(*this, Edit5, "600"); }
void TIZelvora::RadioButton19Click() { Open(Edit5); }

// " Multiple" does not recompute the window: that waits for a pick or a new
// MTU.
void TIZelvora::RadioButton16Click() {
  Lock(Edit4);
  Open(ComboBox1);
}

void TIZelvora::RadioButton17Click() {
  Open(Edit4);
  Lock(ComboBox1);
}

}  // namespace iz
