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
      isdn(Box("isdn", "ISDN", "Select ISDN connection for optimization", 1)),
      // The double blank is the window's own text.
      cableDsl(
          Box("cableDsl", "CABLE / DSL", "Select CABLE / DSL  connection for optimization", 1)),
      pppoe(Box("pppoe", "DSL (PPPoE)", "Select DSL (PPPoE) connection for optimization", 1)),
      extreme(Box("extreme", "EXTREME",
                  "Select Extreme (T1 or greater) connection for optimization", 1)),
      // Exactly one method is always checked; the first is the recommended one.
      automatic1(Box("automatic1", " Automatic Mode 1",
                     "Select Automatic optimization method (Recommended)", 2, true)),
      automatic2(Box("automatic2", " Automatic mode 2", nullptr, 2)),
      automatic3(Box("automatic3", " Automatic mode 3", nullptr, 2)),
      customMode(Box("customMode", " Custom Mode", "Select Custom optimization method", 2)),
      mtu576(Box("mtu576", " 576 (Dial-UP)", nullptr, 4)),
      mtu1500(Box("mtu1500", " 1500 (LAN)", nullptr, 4)),
      mtuCustom(Box("mtuCustom", " Custom", nullptr, 4)),
      ttl32(Box("ttl32", " 32", nullptr, 7)),
      ttl64(Box("ttl64", " 64", nullptr, 7)),
      ttl128(Box("ttl128", " 128", nullptr, 7)),
      ttlCustom(Box("ttlCustom", " Custom", nullptr, 7)),
      cache0(Box("cache0", " 0", nullptr, 6)),
      cache16(Box("cache16", " 16", nullptr, 6)),
      cache32(Box("cache32", " 32", nullptr, 6)),
      cacheCustom(Box("cacheCustom", " Custom", nullptr, 6)),
      rwinMultiple(Box("rwinMultiple", " Multiple", nullptr, 5)),
      rwinCustom(Box("rwinCustom", " Custom", nullptr, 5)),
      keepAliveDefault(Box("keepAliveDefault", " Default (600 seconds)", nullptr, 8)),
      keepAliveCustom(Box("keepAliveCustom", " Custom:", nullptr, 8)),
      blackHoleDetect(Box("blackHoleDetect", " Black Hole Detect", nullptr, 0)),
      autoDiscovery(Box("autoDiscovery", " Auto Discovery", nullptr, 0)),
      slowNet(Box("slowNet", " SlowNet Option Enabled ",
                  "This will reduce timeouts. Recommended checked for modems.", 0)),
      sack(Box("sack", " SACK Options Enabled",
               "Enable Selective Acknowledgements. Recommended always checked", 0)),
      maxDupAcks(
          Box("maxDupAcks", " Max DupAcks Enabled",
              "Reduce Duplicate Acknowledgement. Recommended unchecked for modem, checked for "
              "all others.",
              0)),
      comPorts(Box("comPorts", " Optimize  COM ports",
                   "Increase the speed of communication ports. Recommended always checked.", 0)),
      largeWindows(Box("largeWindows", " Large Window Scaling",
                       "Recommended unchecked for modems, checked for all others.", 0)),
      comBuffer(
          Box("comBuffer", " Optimize ComBuffer Value",
              "Optimize the buffer value of communication ports. Recommended checked for modems "
              "only.",
              0)),
      vcache(Box("vcache", " Optimize VCache Value",
                 "Optimize the Vcache value. Recommended checked for modems only.", 0)),
      bsdUrgent(Box("bsdUrgent", " BSD Urgent Data", nullptr, 0)),
      maxConnect(Box("maxConnect", " Optimize Max Connect Value", nullptr, 0)),
      maxSocket(Box("maxSocket", " Optimize the Max Socket Value", nullptr, 0)),
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
