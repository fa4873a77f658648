#include "model/panel.h"

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
    : modem(Box("modem", "MODEM (Dial -Up)", "Select Modem (Dial-Up) connection for optimization",
                1)),
      isdn(Box("isdn", "ISDN", "Select ISDN connection for optimization", Group::kType)),
      // The double blank is the window's own text.
      cableDsl(Box("cableDsl", "CABLE / DSL", "Select CABLE / DSL  connection for optimization",
                   Group::kType)),
      pppoe(Box("pppoe", "DSL (PPPoE)", "Select DSL (PPPoE) connection for optimization",
                Group::kType)),
      extreme(Box("extreme", "EXTREME",
                  "Select Extreme (T1 or greater) connection for optimization", Group::kType)),
      // Exactly one method is always checked; the first is the recommended one.
      automatic1(Box("automatic1", " Automatic Mode 1",
                     "Select Automatic optimization method (Recommended)", Group::kMethod, true)),
      automatic2(Box("automatic2", " Automatic mode 2", nullptr, Group::kMethod)),
      automatic3(Box("automatic3", " Automatic mode 3", nullptr, Group::kMethod)),
      customMode(
          Box("customMode", " Custom Mode", "Select Custom optimization method", Group::kMethod)),
      mtu576(Box("mtu576", " 576 (Dial-UP)", nullptr, Group::kMtu)),
      mtu1500(Box("mtu1500", " 1500 (LAN)", nullptr, Group::kMtu)),
      mtuCustom(Box("mtuCustom", " Custom", nullptr, Group::kMtu)),
      ttl32(Box("ttl32", " 32", nullptr, Group::kTtl)),
      ttl64(Box("ttl64", " 64", nullptr, Group::kTtl)),
      ttl128(Box("ttl128", " 128", nullptr, Group::kTtl)),
      ttlCustom(Box("ttlCustom", " Custom", nullptr, Group::kTtl)),
      cache0(Box("cache0", " 0", nullptr, Group::kCache)),
      cache16(Box("cache16", " 16", nullptr, Group::kCache)),
      cache32(Box("cache32", " 32", nullptr, Group::kCache)),
      cacheCustom(Box("cacheCustom", " Custom", nullptr, Group::kCache)),
      rwinMultiple(Box("rwinMultiple", " Multiple", nullptr, Group::kRwin)),
      rwinCustom(Box("rwinCustom", " Custom", nullptr, Group::kRwin)),
      keepAliveDefault(
          Box("keepAliveDefault", " Default (600 seconds)", nullptr, Group::kKeepAlive)),
      keepAliveCustom(Box("keepAliveCustom", " Custom:", nullptr, Group::kKeepAlive)),
      blackHoleDetect(Box("blackHoleDetect", " Black Hole Detect", nullptr, Group::kIndependent)),
      autoDiscovery(Box("autoDiscovery", " Auto Discovery", nullptr, Group::kIndependent)),
      slowNet(Box("slowNet", " SlowNet Option Enabled ",
                  "This will reduce timeouts. Recommended checked for modems.",
                  Group::kIndependent)),
      sack(Box("sack", " SACK Options Enabled",
               "Enable Selective Acknowledgements. Recommended always checked",
               Group::kIndependent)),
      maxDupAcks(
          Box("maxDupAcks", " Max DupAcks Enabled",
              "Reduce Duplicate Acknowledgement. Recommended unchecked for modem, checked for "
              "all others.",
              0)),
      comPorts(Box("comPorts", " Optimize  COM ports",
                   "Increase the speed of communication ports. Recommended always checked.",
                   Group::kIndependent)),
      largeWindows(Box("largeWindows", " Large Window Scaling",
                       "Recommended unchecked for modems, checked for all others.",
                       Group::kIndependent)),
      comBuffer(
          Box("comBuffer", " Optimize ComBuffer Value",
              "Optimize the buffer value of communication ports. Recommended checked for modems "
              "only.",
              0)),
      vcache(Box("vcache", " Optimize VCache Value",
                 "Optimize the Vcache value. Recommended checked for modems only.",
                 Group::kIndependent)),
      bsdUrgent(Box("bsdUrgent", " BSD Urgent Data", nullptr, Group::kIndependent)),
      maxConnect(Box("maxConnect", " Optimize Max Connect Value", nullptr, Group::kIndependent)),
      maxSocket(Box("maxSocket", " Optimize the Max Socket Value", nullptr, Group::kIndependent)),
      customTtl(Field("customTtl")),
      customMtu(Field("customMtu")),
      customCache(Field("customCache")),
      customRwin(Field("customRwin")),
      customKeepAlive(Field("customKeepAlive")),
      maxConnections(Field("maxConnections")),
      maxConnections10(Field("maxConnections10")),
      rwinMultiples(List("rwinMultiples")),
      boxes_{&modem,           &isdn,          &cableDsl,         &pppoe,
             &extreme,         &automatic1,    &automatic2,       &automatic3,
             &customMode,      &mtu576,        &mtu1500,          &mtuCustom,
             &ttl32,           &ttl64,         &ttl128,           &ttlCustom,
             &cache0,          &cache16,       &cache32,          &cacheCustom,
             &rwinMultiple,    &rwinCustom,    &keepAliveDefault, &keepAliveCustom,
             &blackHoleDetect, &autoDiscovery, &slowNet,          &sack,
             &maxDupAcks,      &comPorts,      &largeWindows,     &comBuffer,
             &vcache,          &bsdUrgent,     &maxConnect,       &maxSocket},
      edits_{&customTtl,       &customMtu,      &customCache,     &customRwin,
             &customKeepAlive, &maxConnections, &maxConnections10} {}

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
