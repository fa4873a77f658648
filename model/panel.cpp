#include "model/panel.h"

namespace iz {

namespace {

// The boxes in creation order, with their texts: a table, not a constructor
// call per box, each of which would cost its own copy and clean-up code.
struct BoxSpec {
  CheckBoxCtl Panel::*box;
  const char* name;
  const char* caption;
  const char* hint;  // nullptr: no tooltip
  int group;
};
const BoxSpec kBoxSpecs[] = {
    {&Panel::modem, "modem", "MODEM (Dial -Up)",
     "Select Modem (Dial-Up) connection for optimization", Group::kType},
    {&Panel::isdn, "isdn", "ISDN", "Select ISDN connection for optimization", Group::kType},
    // The double blank is the window's own text.
    {&Panel::cableDsl, "cableDsl", "CABLE / DSL", "Select CABLE / DSL  connection for optimization",
     Group::kType},
    {&Panel::pppoe, "pppoe", "DSL (PPPoE)", "Select DSL (PPPoE) connection for optimization",
     Group::kType},
    {&Panel::extreme, "extreme", "EXTREME",
     "Select Extreme (T1 or greater) connection for optimization", Group::kType},
    {&Panel::automatic1, "automatic1", " Automatic Mode 1",
     "Select Automatic optimization method (Recommended)", Group::kMethod},
    {&Panel::automatic2, "automatic2", " Automatic mode 2", nullptr, Group::kMethod},
    {&Panel::automatic3, "automatic3", " Automatic mode 3", nullptr, Group::kMethod},
    {&Panel::customMode, "customMode", " Custom Mode", "Select Custom optimization method",
     Group::kMethod},
    {&Panel::mtu576, "mtu576", " 576 (Dial-UP)", nullptr, Group::kMtu},
    {&Panel::mtu1500, "mtu1500", " 1500 (LAN)", nullptr, Group::kMtu},
    {&Panel::mtuCustom, "mtuCustom", " Custom", nullptr, Group::kMtu},
    {&Panel::ttl32, "ttl32", " 32", nullptr, Group::kTtl},
    {&Panel::ttl64, "ttl64", " 64", nullptr, Group::kTtl},
    {&Panel::ttl128, "ttl128", " 128", nullptr, Group::kTtl},
    {&Panel::ttlCustom, "ttlCustom", " Custom", nullptr, Group::kTtl},
    {&Panel::cache0, "cache0", " 0", nullptr, Group::kCache},
    {&Panel::cache16, "cache16", " 16", nullptr, Group::kCache},
    {&Panel::cache32, "cache32", " 32", nullptr, Group::kCache},
    {&Panel::cacheCustom, "cacheCustom", " Custom", nullptr, Group::kCache},
    {&Panel::rwinMultiple, "rwinMultiple", " Multiple", nullptr, Group::kRwin},
    {&Panel::rwinCustom, "rwinCustom", " Custom", nullptr, Group::kRwin},
    {&Panel::keepAliveDefault, "keepAliveDefault", " Default (600 seconds)", nullptr,
     Group::kKeepAlive},
    {&Panel::keepAliveCustom, "keepAliveCustom", " Custom:", nullptr, Group::kKeepAlive},
    {&Panel::blackHoleDetect, "blackHoleDetect", " Black Hole Detect", nullptr,
     Group::kIndependent},
    {&Panel::autoDiscovery, "autoDiscovery", " Auto Discovery", nullptr, Group::kIndependent},
    {&Panel::slowNet, "slowNet", " SlowNet Option Enabled ",
     "This will reduce timeouts. Recommended checked for modems.", Group::kIndependent},
    {&Panel::sack, "sack", " SACK Options Enabled",
     "Enable Selective Acknowledgements. Recommended always checked", Group::kIndependent},
    {&Panel::maxDupAcks, "maxDupAcks", " Max DupAcks Enabled",
     "Reduce Duplicate Acknowledgement. Recommended unchecked for modem, checked for "
     "all others.",
     Group::kIndependent},
    {&Panel::comPorts, "comPorts", " Optimize  COM ports",
     "Increase the speed of communication ports. Recommended always checked.", Group::kIndependent},
    {&Panel::largeWindows, "largeWindows", " Large Window Scaling",
     "Recommended unchecked for modems, checked for all others.", Group::kIndependent},
    {&Panel::comBuffer, "comBuffer", " Optimize ComBuffer Value",
     "Optimize the buffer value of communication ports. Recommended checked for modems "
     "only.",
     Group::kIndependent},
    {&Panel::vcache, "vcache", " Optimize VCache Value",
     "Optimize the Vcache value. Recommended checked for modems only.", Group::kIndependent},
    {&Panel::bsdUrgent, "bsdUrgent", " BSD Urgent Data", nullptr, Group::kIndependent},
    {&Panel::maxConnect, "maxConnect", " Optimize Max Connect Value", nullptr, Group::kIndependent},
    {&Panel::maxSocket, "maxSocket", " Optimize the Max Socket Value", nullptr,
     Group::kIndependent},
};
// Every edit field starts as "0", locked.
struct EditSpec {
  EditCtl Panel::*edit;
  const char* name;
};
const EditSpec kEditSpecs[] = {
    {&Panel::customTtl, "customTtl"},
    {&Panel::customMtu, "customMtu"},
    {&Panel::customCache, "customCache"},
    {&Panel::customRwin, "customRwin"},
    {&Panel::customKeepAlive, "customKeepAlive"},
    {&Panel::maxConnections, "maxConnections"},
    {&Panel::maxConnections10, "maxConnections10"},
};
}  // namespace

Panel::Panel() {
  boxes_.reserve(sizeof kBoxSpecs / sizeof *kBoxSpecs);
  for (const BoxSpec& row : kBoxSpecs) {
    CheckBoxCtl& box = this->*row.box;
    box.name = row.name;
    box.caption = row.caption;
    box.hint = row.hint;
    box.group = row.group;
    boxes_.push_back(&box);
  }
  // Exactly one method is always checked; the first is the recommended one.
  automatic1.checked = true;
  for (const EditSpec& row : kEditSpecs) {
    EditCtl& edit = this->*row.edit;
    edit.name = row.name;
    edits_.push_back(&edit);
  }
  // The multiple list starts with no item, locked.
  rwinMultiples.name = "rwinMultiples";
}

void Panel::SetChecked(CheckBoxCtl& box, bool checked) {
  if (box.checked == checked) return;
  if (box.group == Group::kIndependent) {
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
  if (!rwinMultiples.enabled) return;
  rwinMultiples.itemIndex = index;
  if (rwinMultiples.onChange) rwinMultiples.onChange();
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
