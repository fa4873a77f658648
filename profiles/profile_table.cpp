#include "profiles/profile_table.h"

#include <string>

#include "profiles/input_rules.h"

namespace iz {

namespace {

// Sets the text (its change rule runs inside), then marks the profile's
// choice over whatever the rule marked, then locks the field.
void LoadField(Panel& panel, EditCtl& edit, const char* text, BoxRef mark) {
  panel.SetText(edit, text);
  panel.SetChecked(panel.*mark, true);
  panel.Lock(edit);
}

}  // namespace

void LoadProfile(Panel& panel, ConnectionType type, Method method) {
  const Profile& p = kProfiles[static_cast<int>(type)];
  // The MTU comes first: its rule may recompute the receive window from the
  // picked multiple, and the next step overwrites that with the profile's.
  // A measured MTU says what the user's own path carries, which the
  // profile's can only guess.
  if (panel.measuredMtu > 0) {
    PlaceMtu(panel, panel.measuredMtu);
  } else {
    LoadField(panel, panel.customMtu, p.mtu.text, p.mtu.mark);
  }
  LoadField(panel, panel.customRwin, p.rwin[static_cast<int>(method)], p.rwinMark);
  LoadField(panel, panel.customTtl, p.ttl.text, p.ttl.mark);
  LoadField(panel, panel.customCache, p.cache.text, p.cache.mark);
  LoadField(panel, panel.customKeepAlive, kKeepAlive.text, kKeepAlive.mark);
  panel.SetText(panel.maxConnections, p.maxConnectionsPerServer);
  panel.Lock(panel.maxConnections);
  panel.SetText(panel.maxConnections10, p.maxConnectionsPer1_0Server);
  panel.Lock(panel.maxConnections10);
  panel.Lock(panel.rwinMultiples);
  for (const auto& [option, box] : kOptionBoxes) panel.SetChecked(panel.*box, p.options.*option);
}

void PlaceMtu(Panel& panel, int mtu) {
  panel.SetText(panel.customMtu, std::to_string(mtu));
  // The same text may stand under another choice (Custom Mode ticks
  // " Custom" over 1500), where the change rule did not run.
  MarkMtu(panel);
  if (panel.mtuCustom.checked) {
    panel.Open(panel.customMtu);
  } else {
    panel.Lock(panel.customMtu);
  }
}

}  // namespace iz
