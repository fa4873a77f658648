// What a click on a connection type, a method or a fixed choice does to the
// panel, and which change rule each field runs.
#include "profiles/choices.h"

#include <utility>

#include "profiles/input_rules.h"
#include "profiles/profile_table.h"

namespace iz {

namespace {

// The " Custom" choice of each value group with the field it opens.
constexpr std::pair<BoxRef, EditCtl Panel::*> kCustomChoices[] = {
    {&Panel::mtuCustom, &Panel::customMtu},
    {&Panel::rwinCustom, &Panel::customRwin},
    {&Panel::cacheCustom, &Panel::customCache},
    {&Panel::ttlCustom, &Panel::customTtl},
    {&Panel::keepAliveCustom, &Panel::customKeepAlive}};

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

// Custom Mode opens all seven fields whatever type is checked; the list stays
// locked until " Multiple" is chosen.
void CustomModeClicked(Panel& panel) {
  OpenValueFields(panel);
  panel.Open(panel.maxConnections);
  panel.Open(panel.maxConnections10);
  panel.Lock(panel.rwinMultiples);
}

// " Multiple" does not recompute the window: that waits for a pick or a new
// MTU.
void RwinMultipleClicked(Panel& panel) {
  panel.Lock(panel.customRwin);
  panel.Open(panel.rwinMultiples);
}

void RwinCustomClicked(Panel& panel) {
  panel.Open(panel.customRwin);
  panel.Lock(panel.rwinMultiples);
}

using Handler = void (*)(Panel&);

struct ClickWire {
  BoxRef box;
  Handler handler;
};

#define IZ_TYPE(type) [](Panel& p) { TypeClicked(p, ConnectionType::type); }
#define IZ_METHOD(method) [](Panel& p) { MethodClicked(p, Method::method); }
#define IZ_FIX(edit, text) [](Panel& p) { Fix(p, p.edit, text); }
#define IZ_OPEN(edit) [](Panel& p) { p.Open(p.edit); }

// The independent boxes have no handler.
constexpr ClickWire kClickWires[] = {
    {&Panel::modem, IZ_TYPE(Modem)},
    {&Panel::isdn, IZ_TYPE(Isdn)},
    {&Panel::cableDsl, IZ_TYPE(CableDsl)},
    {&Panel::pppoe, IZ_TYPE(Pppoe)},
    {&Panel::extreme, IZ_TYPE(Extreme)},
    {&Panel::automatic1, IZ_METHOD(Automatic1)},
    {&Panel::automatic2, IZ_METHOD(Automatic2)},
    {&Panel::automatic3, IZ_METHOD(Automatic3)},
    {&Panel::customMode, CustomModeClicked},
    {&Panel::mtu576, IZ_FIX(customMtu, "576")},
    {&Panel::mtu1500, IZ_FIX(customMtu, "1500")},
    {&Panel::mtuCustom, IZ_OPEN(customMtu)},
    {&Panel::ttl32, IZ_FIX(customTtl, "32")},
    {&Panel::ttl64, IZ_FIX(customTtl, "64")},
    {&Panel::ttl128, IZ_FIX(customTtl, "128")},
    {&Panel::ttlCustom, IZ_OPEN(customTtl)},
    {&Panel::cache0, IZ_FIX(customCache, "0")},
    {&Panel::cache16, IZ_FIX(customCache, "16")},
    {&Panel::cache32, IZ_FIX(customCache, "32")},
    {&Panel::cacheCustom, IZ_OPEN(customCache)},
    {&Panel::rwinMultiple, RwinMultipleClicked},
    {&Panel::rwinCustom, RwinCustomClicked},
    {&Panel::keepAliveDefault, IZ_FIX(customKeepAlive, "600")},
    {&Panel::keepAliveCustom, IZ_OPEN(customKeepAlive)},
};

#undef IZ_TYPE
#undef IZ_METHOD
#undef IZ_FIX
#undef IZ_OPEN

struct ChangeWire {
  EditCtl Panel::*edit;
  Handler rule;
};

// maxConnections and maxConnections10 have no change rule.
constexpr ChangeWire kChangeWires[] = {
    {&Panel::customTtl, TtlChanged},
    {&Panel::customMtu, MtuChanged},
    {&Panel::customCache, CacheChanged},
    {&Panel::customRwin, RwinChanged},
    {&Panel::customKeepAlive, KeepAliveChanged},
};

}  // namespace

void WireChoices(Panel& panel) {
  for (const ClickWire& w : kClickWires) {
    (panel.*w.box).onClick = [&panel, h = w.handler] { h(panel); };
  }
  for (const ChangeWire& w : kChangeWires) {
    (panel.*w.edit).onChange = [&panel, h = w.rule] { h(panel); };
  }
  panel.rwinMultiples.onChange = [&panel] { RwinMultiplePicked(panel); };
}

}  // namespace iz
