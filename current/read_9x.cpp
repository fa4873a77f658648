#include "current/read_9x.h"

#include <string>

#include "current/decodings.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

void SetIfRead(Panel& panel, CheckBoxCtl& box, std::optional<bool> on) {
  if (on) panel.SetChecked(box, *on);
}

void SetIfRead(Panel& panel, EditCtl& edit, const std::optional<std::string>& text) {
  if (text) panel.SetText(edit, *text);
}

}  // namespace

void Read9xSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles) {
  using namespace map;
  SettingsSession session(registry);
  ValueReader reader(session, registry);
  session.SetRoot(kHKLM);

  reader.Open(kMstcpKey);
  SetIfRead(panel, panel.CheckBox2, reader.Flag(kPMTUDiscovery, {1}));
  SetIfRead(panel, panel.CheckBox1, reader.Flag(kPMTUBlackHoleDetect, {1}));
  SetIfRead(panel, panel.glCheckBox6, reader.Flag(kBSDUrgent, {1}));
  // The receive window goes in before the MTU: it selects the multiple, and
  // the MTU's rule then recomputes the window from that multiple.
  SetIfRead(panel, panel.Edit4, reader.Text(kDefaultRcvWindow));
  // Seconds on this family, shown as stored.
  SetIfRead(panel, panel.Edit5, reader.Text(kSessionKeepAlive));
  SetIfRead(panel, panel.CheckBox7, reader.Flag(kTcp1323Opts, {1}));
  SetIfRead(panel, panel.CheckBox4, reader.Flag(kSackOpts, {1}));

  reader.Open(kMstcpParametersKey);
  SetIfRead(panel, panel.CheckBox5, reader.Flag(kMaxDupAcks, {2, 3}));

  reader.Open(kMstcpKey);
  SetIfRead(panel, panel.Edit1, reader.Text(kDefaultTTL));

  reader.Open(kNetTrans0000Key);
  SetIfRead(panel, panel.Edit2, reader.Text(kMaxMTU));

  // A cache size of another kind (or none) empties the field.
  reader.Open(kNdiCacheSizeKey);
  panel.SetText(panel.Edit3, reader.Text(kDefaultValue).value_or(""));

  reader.Open(kNdiMaxConnectKey);
  SetIfRead(panel, panel.glCheckBox8, reader.OptimizedRange());
  reader.Open(kNdiMaxSocketsKey);
  SetIfRead(panel, panel.glCheckBox9, reader.OptimizedRange());

  reader.Open(kNetClass0000Key);
  panel.SetChecked(panel.CheckBox3, reader.Byte(kSlowNet, 1) == 0);
  reader.Open(kComBuffKey);
  panel.SetChecked(panel.CheckBox8, reader.Byte(kStart, 0) == 1);
  reader.Open(kVCacheKey);
  panel.SetChecked(panel.CheckBox9, reader.Byte(kStart, 0) == 1);
  reader.Close();

  // The fields show what is in force and stay disabled until a method or a
  // Custom choice opens them again; only the enabled state changes here, so
  // the colours stay as they were.
  panel.Disable(panel.Edit1);
  panel.Disable(panel.Edit2);
  panel.Disable(panel.Edit3);
  panel.Disable(panel.Edit4);
  panel.Disable(panel.Edit5);
  panel.Disable(panel.ComboBox1);

  panel.SetChecked(panel.CheckBox6, PortsOptimized(profiles));

  reader.SwitchRoot(kHKCU);
  reader.Open(kInternetSettingsUpperKey);
  SetIfRead(panel, panel.Edit6, reader.Text(kMaxConnectionsPerServer));
  SetIfRead(panel, panel.Edit7, reader.Text(kMaxConnectionsPer1_0Server));
}

}  // namespace iz
