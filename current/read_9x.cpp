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

void Read9xSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                    const std::optional<std::string>& adapterMtu) {
  using namespace map;
  SettingsSession session(registry);
  ValueReader reader(session, registry);
  session.SetRoot(kHKLM);

  reader.Open(kMstcpKey);
  SetIfRead(panel, panel.autoDiscovery, reader.Flag(kPMTUDiscovery, {1}));
  SetIfRead(panel, panel.blackHoleDetect, reader.Flag(kPMTUBlackHoleDetect, {1}));
  SetIfRead(panel, panel.bsdUrgent, reader.Flag(kBSDUrgent, {1}));
  // The receive window goes in before the MTU: it selects the multiple, and
  // the MTU's rule then recomputes the window from that multiple.
  SetIfRead(panel, panel.customRwin, reader.Text(kDefaultRcvWindow));
  // Seconds on this family, shown as stored.
  SetIfRead(panel, panel.customKeepAlive, reader.Text(kSessionKeepAlive));
  SetIfRead(panel, panel.largeWindows, reader.Flag(kTcp1323Opts, {1}));
  SetIfRead(panel, panel.sack, reader.Flag(kSackOpts, {1}));

  reader.Open(kMstcpParametersKey);
  SetIfRead(panel, panel.maxDupAcks, reader.Flag(kMaxDupAcks, {2, 3}));

  reader.Open(kMstcpKey);
  SetIfRead(panel, panel.customTtl, reader.Text(kDefaultTTL));

  if (adapterMtu) {
    panel.SetText(panel.customMtu, *adapterMtu);
  } else {
    reader.Open(kNetTrans0000Key);
    SetIfRead(panel, panel.customMtu, reader.Text(kMaxMTU));
  }

  // A cache size of another kind (or none) empties the field.
  reader.Open(kNdiCacheSizeKey);
  panel.SetText(panel.customCache, reader.Text(kDefaultValue).value_or(""));

  reader.Open(kNdiMaxConnectKey);
  SetIfRead(panel, panel.maxConnect, reader.OptimizedRange());
  reader.Open(kNdiMaxSocketsKey);
  SetIfRead(panel, panel.maxSocket, reader.OptimizedRange());

  reader.Open(kNetClass0000Key);
  panel.SetChecked(panel.slowNet, reader.Byte(kSlowNet, 1) == 0);
  reader.Open(kComBuffKey);
  panel.SetChecked(panel.comBuffer, reader.Byte(kStart, 0) == 1);
  reader.Open(kVCacheKey);
  panel.SetChecked(panel.vcache, reader.Byte(kStart, 0) == 1);
  reader.Close();

  // The fields show what is in force and stay disabled until a method or a
  // Custom choice opens them again; only the enabled state changes here, so
  // the colours stay as they were.
  panel.Disable(panel.customTtl);
  panel.Disable(panel.customMtu);
  panel.Disable(panel.customCache);
  panel.Disable(panel.customRwin);
  panel.Disable(panel.customKeepAlive);
  panel.Disable(panel.rwinMultiples);

  panel.SetChecked(panel.comPorts, PortsOptimized(profiles));

  reader.SwitchRoot(kHKCU);
  reader.Open(kInternetSettingsUpperKey);
  SetIfRead(panel, panel.maxConnections, reader.Text(kMaxConnectionsPerServer));
  SetIfRead(panel, panel.maxConnections10, reader.Text(kMaxConnectionsPer1_0Server));
}

}  // namespace iz
