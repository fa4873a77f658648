#include "current/read_nt.h"

#include <string>

#include "current/decodings.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

// The TCP/IP parameters key is opened afresh for each of its values.
std::uint32_t TcpipNumber(ValueReader& reader, const char* name) {
  reader.Open(map::kTcpipParametersKey);
  return reader.NtNumber(name);
}

// One place that turns a number into a box's text, rather than a string
// made and destroyed at each box.
void ShowNumber(Panel& panel, EditCtl& box, std::uint32_t n) { panel.SetText(box, std::to_string(n)); }

}  // namespace

void ReadNTSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                    const std::optional<std::string>& adapterMtu) {
  using namespace map;
  SettingsSession session(registry);
  ValueReader reader(session, registry);
  session.SetRoot(kHKLM);

  panel.SetChecked(panel.autoDiscovery, TcpipNumber(reader, kEnablePMTUDiscovery) == 1);
  panel.SetChecked(panel.blackHoleDetect, TcpipNumber(reader, kEnablePMTUBHDetect) == 1);

  reader.Open(kNdiCacheSizeKey);
  ShowNumber(panel, panel.customCache, reader.NtNumber(kDefaultValue));

  ShowNumber(panel, panel.customTtl, TcpipNumber(reader, kDefaultTTL));
  panel.SetChecked(panel.bsdUrgent, TcpipNumber(reader, kTcpUseRFC1122UrgentPointer) == 1);
  panel.SetChecked(panel.sack, TcpipNumber(reader, kSackOpts) == 1);
  // Only 1 is plain window scaling; 2 and 3 (timestamps) do not count.
  panel.SetChecked(panel.largeWindows, TcpipNumber(reader, kTcp1323Opts) == 1);
  const std::uint32_t dupAcks = TcpipNumber(reader, kTcpMaxDupAcks);
  panel.SetChecked(panel.maxDupAcks, dupAcks == 2 || dupAcks == 3);
  // The receive window goes in before the MTU: it selects the multiple, and
  // the MTU's rule then recomputes the window from that multiple.
  ShowNumber(panel, panel.customRwin, TcpipNumber(reader, kTcpWindowSize));

  if (adapterMtu) {
    panel.SetText(panel.customMtu, *adapterMtu);
  } else {
    reader.Open(kTcpipInterfaceKey);
    ShowNumber(panel, panel.customMtu, reader.NtNumber(kMTU));
  }

  reader.Open(kNetbtParametersKey);
  panel.SetText(panel.customKeepAlive, KeepAliveSeconds(reader.NtNumber(kSessionKeepAlive)));

  reader.SwitchRoot(kHKCU);
  reader.Open(kInternetSettingsUpperKey);
  if (auto text = reader.Text(kMaxConnectionsPerServer)) panel.SetText(panel.maxConnections, *text);
  if (auto text = reader.Text(kMaxConnectionsPer1_0Server))
    panel.SetText(panel.maxConnections10, *text);

  reader.SwitchRoot(kHKLM);
  reader.OpenWithAccess(kNetClass0000Key, true);
  // SLOWNET runs the other way: 0x00 is on, and a missing value is off.
  panel.SetChecked(panel.slowNet, reader.Byte(kSlowNet, 1) == 0);
  reader.OpenWithAccess(kComBuffKey, true);
  panel.SetChecked(panel.comBuffer, reader.Byte(kStart, 0) == 1);
  reader.OpenWithAccess(kVCacheKey, false);
  panel.SetChecked(panel.vcache, reader.Byte(kStart, 0) == 1);

  reader.Open(kNdiMaxConnectKey);
  if (auto on = reader.OptimizedRange()) panel.SetChecked(panel.maxConnect, *on);
  reader.Open(kNdiMaxSocketsKey);
  if (auto on = reader.OptimizedRange()) panel.SetChecked(panel.maxSocket, *on);
  reader.Close();

  panel.SetChecked(panel.comPorts, PortsOptimized(profiles));
}

}  // namespace iz
