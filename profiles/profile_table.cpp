#include "profiles/profile_table.h"

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
  LoadField(panel, panel.customMtu, p.mtu.text, p.mtu.mark);
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

}  // namespace iz
