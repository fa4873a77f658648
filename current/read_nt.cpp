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

}  // namespace

void ReadNTSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles) {
  using namespace map;
  SettingsSession session(registry);
  ValueReader reader(session, registry);
  session.SetRoot(kHKLM);

  panel.SetChecked(panel.CheckBox2, TcpipNumber(reader, kEnablePMTUDiscovery) == 1);
  panel.SetChecked(panel.CheckBox1, TcpipNumber(reader, kEnablePMTUBHDetect) == 1);

  reader.Open(kNdiCacheSizeKey);
  panel.SetText(panel.Edit3, std::to_string(reader.NtNumber(kDefaultValue)));

  panel.SetText(panel.Edit1, std::to_string(TcpipNumber(reader, kDefaultTTL)));
  panel.SetChecked(panel.glCheckBox6, TcpipNumber(reader, kTcpUseRFC1122UrgentPointer) == 1);
  panel.SetChecked(panel.CheckBox4, TcpipNumber(reader, kSackOpts) == 1);
  // Only 1 is plain window scaling; 2 and 3 (timestamps) do not count.
  panel.SetChecked(panel.CheckBox7, TcpipNumber(reader, kTcp1323Opts) == 1);
  const std::uint32_t dupAcks = TcpipNumber(reader, kTcpMaxDupAcks);
  panel.SetChecked(panel.CheckBox5, dupAcks == 2 || dupAcks == 3);
  // The receive window goes in before the MTU: it selects the multiple, and
  // the MTU's rule then recomputes the window from that multiple.
  panel.SetText(panel.Edit4, std::to_string(TcpipNumber(reader, kTcpWindowSize)));

  reader.Open(kTcpipInterfaceKey);
  panel.SetText(panel.Edit2, std::to_string(reader.NtNumber(kMTU)));

  reader.Open(kNetbtParametersKey);
  panel.SetText(panel.Edit5, KeepAliveSeconds(reader.NtNumber(kSessionKeepAlive)));

  reader.SwitchRoot(kHKCU);
  reader.Open(kInternetSettingsUpperKey);
  if (auto text = reader.Text(kMaxConnectionsPerServer)) panel.SetText(panel.Edit6, *text);
  if (auto text = reader.Text(kMaxConnectionsPer1_0Server)) panel.SetText(panel.Edit7, *text);

  reader.SwitchRoot(kHKLM);
  reader.OpenWithAccess(kNetClass0000Key, true);
  // SLOWNET runs the other way: 0x00 is on, and a missing value is off.
  panel.SetChecked(panel.CheckBox3, reader.Byte(kSlowNet, 1) == 0);
  reader.OpenWithAccess(kComBuffKey, true);
  panel.SetChecked(panel.CheckBox8, reader.Byte(kStart, 0) == 1);
  reader.OpenWithAccess(kVCacheKey, false);
  panel.SetChecked(panel.CheckBox9, reader.Byte(kStart, 0) == 1);

  reader.Open(kNdiMaxConnectKey);
  if (auto on = reader.OptimizedRange()) panel.SetChecked(panel.glCheckBox8, *on);
  reader.Open(kNdiMaxSocketsKey);
  if (auto on = reader.OptimizedRange()) panel.SetChecked(panel.glCheckBox9, *on);
  reader.Close();

  panel.SetChecked(panel.CheckBox6, PortsOptimized(profiles));
}

}  // namespace iz
