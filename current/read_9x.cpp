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

// The MSTCP values in the order they are read: a box that a flag ticks, or a
// field that shows the value as stored. A key is opened when it differs from
// the one before. The receive window goes in before the MTU: it selects the
// multiple, and the MTU's rule then recomputes the window from that
// multiple. The keep-alive is in seconds on this family, shown as stored.
struct Shown {
  const char* key;
  const char* name;
  CheckBoxCtl Panel::*box;  // null: the field below
  EditCtl Panel::*field;
  bool dupAcks;  // the flag's targets are 2 and 3 rather than 1
};
constexpr Shown kMstcpShown[] = {
    {map::kMstcpKey, map::kPMTUDiscovery, &Panel::autoDiscovery, nullptr, false},
    {map::kMstcpKey, map::kPMTUBlackHoleDetect, &Panel::blackHoleDetect, nullptr, false},
    {map::kMstcpKey, map::kBSDUrgent, &Panel::bsdUrgent, nullptr, false},
    {map::kMstcpKey, map::kDefaultRcvWindow, nullptr, &Panel::customRwin, false},
    {map::kMstcpKey, map::kSessionKeepAlive, nullptr, &Panel::customKeepAlive, false},
    {map::kMstcpKey, map::kTcp1323Opts, &Panel::largeWindows, nullptr, false},
    {map::kMstcpKey, map::kSackOpts, &Panel::sack, nullptr, false},
    {map::kMstcpParametersKey, map::kMaxDupAcks, &Panel::maxDupAcks, nullptr, true},
    {map::kMstcpKey, map::kDefaultTTL, nullptr, &Panel::customTtl, false},
};

}  // namespace

void Read9xSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                    const std::optional<std::string>& adapterMtu) {
  using namespace map;
  SettingsSession session(registry);
  ValueReader reader(session, registry);
  session.SetRoot(kHKLM);

  const char* open = nullptr;
  for (const Shown& shown : kMstcpShown) {
    if (shown.key != open) reader.Open(open = shown.key);
    if (shown.box == nullptr) {
      SetIfRead(panel, panel.*shown.field, reader.Text(shown.name));
    } else {
      SetIfRead(panel, panel.*shown.box,
                shown.dupAcks ? reader.Flag(shown.name, {2, 3}) : reader.Flag(shown.name, {1}));
    }
  }

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
