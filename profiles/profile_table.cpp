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
  LoadField(panel, panel.Edit2, p.mtu.text, p.mtu.mark);
  LoadField(panel, panel.Edit4, p.rwin[static_cast<int>(method)], p.rwinMark);
  LoadField(panel, panel.Edit1, p.ttl.text, p.ttl.mark);
  LoadField(panel, panel.Edit3, p.cache.text, p.cache.mark);
  LoadField(panel, panel.Edit5, kKeepAlive.text, kKeepAlive.mark);
  panel.SetText(panel.Edit6, p.maxConnectionsPerServer);
  panel.Lock(panel.Edit6);
  panel.SetText(panel.Edit7, p.maxConnectionsPer1_0Server);
  panel.Lock(panel.Edit7);
  panel.Lock(panel.ComboBox1);
  for (const auto& [option, box] : kOptionBoxes) panel.SetChecked(panel.*box, p.options.*option);
}

}  // namespace iz
