#include "app/panel.h"

namespace iz {

namespace {

CheckBoxCtl Box(const char* name, const char* caption, const char* hint, int group,
                bool checked = false) {
  CheckBoxCtl box{};
  box.name = name;
  box.caption = caption;
  box.hint = hint;
  box.group = group;
  box.checked = checked;
  return box;
}

// Every edit field starts as "0", locked.
EditCtl Field(const char* name) {
  EditCtl edit{};
  edit.name = name;
  return edit;
}

// The multiple list starts with no item, locked.
ComboCtl List(const char* name) {
  ComboCtl combo{};
  combo.name = name;
  return combo;
}

}  // namespace

Panel::Panel()
    : glCheckBox1(Box("glCheckBox1", "MODEM (Dial -Up)",
                      "Select Modem (Dial-Up) connection for optimization", 1)),
      glCheckBox2(Box("glCheckBox2", "ISDN", "Select ISDN connection for optimization", 1)),
      // The double blank is the window's own text.
      glCheckBox3(
          Box("glCheckBox3", "CABLE / DSL", "Select CABLE / DSL  connection for optimization", 1)),
      glCheckBox4(
          Box("glCheckBox4", "DSL (PPPoE)", "Select DSL (PPPoE) connection for optimization", 1)),
      glCheckBox5(Box("glCheckBox5", "EXTREME",
                      "Select Extreme (T1 or greater) connection for optimization", 1)),
      // Exactly one method is always checked; the first is the recommended one.
      RadioButton3(Box("RadioButton3", " Automatic Mode 1",
                       "Select Automatic optimization method (Recommended)", 2, true)),
      glCheckBox7(Box("glCheckBox7", " Automatic mode 2", nullptr, 2)),
      glCheckBox12(Box("glCheckBox12", " Automatic mode 3", nullptr, 2)),
      RadioButton4(Box("RadioButton4", " Custom Mode", "Select Custom optimization method", 2)),
      RadioButton9(Box("RadioButton9", " 576 (Dial-UP)", nullptr, 4)),
      RadioButton10(Box("RadioButton10", " 1500 (LAN)", nullptr, 4)),
      RadioButton11(Box("RadioButton11", " Custom", nullptr, 4)),
      RadioButton5(Box("RadioButton5", " 32", nullptr, 7)),
      RadioButton6(Box("RadioButton6", " 64", nullptr, 7)),
      RadioButton7(Box("RadioButton7", " 128", nullptr, 7)),
      RadioButton8(Box("RadioButton8", " Custom", nullptr, 7)),
      RadioButton12(Box("RadioButton12", " 0", nullptr, 6)),
      RadioButton13(Box("RadioButton13", " 16", nullptr, 6)),
      RadioButton14(Box("RadioButton14", " 32", nullptr, 6)),
      RadioButton15(Box("RadioButton15", " Custom", nullptr, 6)),
      RadioButton16(Box("RadioButton16", " Multiple", nullptr, 5)),
      RadioButton17(Box("RadioButton17", " Custom", nullptr, 5)),
      RadioButton18(Box("RadioButton18", " Default (600 seconds)", nullptr, 8)),
      RadioButton19(Box("RadioButton19", " Custom:", nullptr, 8)),
      CheckBox1(Box("CheckBox1", " Black Hole Detect", nullptr, 0)),
      CheckBox2(Box("CheckBox2", " Auto Discovery", nullptr, 0)),
      CheckBox3(Box("CheckBox3", " SlowNet Option Enabled ",
                    "This will reduce timeouts. Recommended checked for modems.", 0)),
      CheckBox4(Box("CheckBox4", " SACK Options Enabled",
                    "Enable Selective Acknowledgements. Recommended always checked", 0)),
      CheckBox5(
          Box("CheckBox5", " Max DupAcks Enabled",
              "Reduce Duplicate Acknowledgement. Recommended unchecked for modem, checked for "
              "all others.",
              0)),
      CheckBox6(Box("CheckBox6", " Optimize  COM ports",
                    "Increase the speed of communication ports. Recommended always checked.", 0)),
      CheckBox7(Box("CheckBox7", " Large Window Scaling",
                    "Recommended unchecked for modems, checked for all others.", 0)),
      CheckBox8(
          Box("CheckBox8", " Optimize ComBuffer Value",
              "Optimize the buffer value of communication ports. Recommended checked for modems "
              "only.",
              0)),
      CheckBox9(Box("CheckBox9", " Optimize VCache Value",
                    "Optimize the Vcache value. Recommended checked for modems only.", 0)),
      glCheckBox6(Box("glCheckBox6", " BSD Urgent Data", nullptr, 0)),
      glCheckBox8(Box("glCheckBox8", " Optimize Max Connect Value", nullptr, 0)),
      glCheckBox9(Box("glCheckBox9", " Optimize the Max Socket Value", nullptr, 0)),
      Edit1(Field("Edit1")),
      Edit2(Field("Edit2")),
      Edit3(Field("Edit3")),
      Edit4(Field("Edit4")),
      Edit5(Field("Edit5")),
      Edit6(Field("Edit6")),
      Edit7(Field("Edit7")),
      ComboBox1(List("ComboBox1")),
      boxes_{&glCheckBox1,   &glCheckBox2,   &glCheckBox3,   &glCheckBox4,   &glCheckBox5,
             &RadioButton3,  &glCheckBox7,   &glCheckBox12,  &RadioButton4,  &RadioButton9,
             &RadioButton10, &RadioButton11, &RadioButton5,  &RadioButton6,  &RadioButton7,
             &RadioButton8,  &RadioButton12, &RadioButton13, &RadioButton14, &RadioButton15,
             &RadioButton16, &RadioButton17, &RadioButton18, &RadioButton19, &CheckBox1,
             &CheckBox2,     &CheckBox3,     &CheckBox4,     &CheckBox5,     &CheckBox6,
             &CheckBox7,     &CheckBox8,     &CheckBox9,     &glCheckBox6,   &glCheckBox8,
             &glCheckBox9},
      edits_{&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7} {}

void Panel::SetChecked(CheckBoxCtl& box, bool checked) {
  if (box.checked == checked) return;
  if (box.group == 0) {
    box.checked = checked;
    return;
  }
  // A choice is left only by checking another box of its group.
  if (!checked) return;
  // Membership is by number across the whole window, not by parent.
  for (CheckBoxCtl* other : boxes_) {
    if (other != &box && other->group == box.group) other->checked = false;
  }
  box.checked = true;
}

void Panel::Click(CheckBoxCtl& box) {
  if (!box.enabled) return;
  SetChecked(box, !box.checked);
  // A click on a checked choice changes nothing above but still runs the
  // handler, so the profile is loaded again.
  if (box.onClick) box.onClick();
}

void Panel::SetText(EditCtl& edit, const std::string& text) {
  if (edit.text == text) return;
  edit.text = text;
  if (edit.onChange) edit.onChange();
}

void Panel::Lock(EditCtl& edit) {
  edit.enabled = false;
  edit.color = clBtnFace;
}

void Panel::Open(EditCtl& edit) {
  edit.enabled = true;
  edit.color = clWindow;
}

void Panel::Lock(ComboCtl& combo) {
  combo.enabled = false;
  combo.color = clBtnFace;
}

void Panel::Open(ComboCtl& combo) {
  combo.enabled = true;
  combo.color = clWindow;
}

void Panel::Pick(int index) {
  // Only an enabled list can be picked from, as with a click on a box.
  if (!ComboBox1.enabled) return;
  ComboBox1.itemIndex = index;
  if (ComboBox1.onChange) ComboBox1.onChange();
}

CheckBoxCtl* Panel::FindBox(const std::string& name) const {
  for (CheckBoxCtl* box : boxes_) {
    if (name == box->name) return box;
  }
  return nullptr;
}

CheckBoxCtl* Panel::CheckedIn(int group) const {
  for (CheckBoxCtl* box : boxes_) {
    if (box->group == group && box->checked) return box;
  }
  return nullptr;
}

EditCtl* Panel::FindEdit(const std::string& name) const {
  for (EditCtl* edit : edits_) {
    if (name == edit->name) return edit;
  }
  return nullptr;
}

}  // namespace iz
