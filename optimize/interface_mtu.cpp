#include "optimize/interface_mtu.h"

#include "model/os_kind.h"
#include "modern/tcp_table.h"
#include "profiles/number.h"
#include "store/error.h"

namespace iz {

std::vector<TcpValue> InterfaceMtus(RawRegistry& registry, int kind, const Panel& panel,
                                    const std::vector<Adapter>& ticked) {
  // The panel's number is read only where it is used: a bad one is the
  // registry step's to report, in its order.
  if (!IsVistaOrLater(kind) || ticked.empty()) return {};
  return InterfaceMtusOf(registry, kind, static_cast<int>(ReadWholeNumber(panel.customMtu.text)),
                         ticked);
}

std::vector<TcpValue> InterfaceMtusOf(RawRegistry& registry, int kind, int number,
                                      const std::vector<Adapter>& ticked) {
  std::vector<TcpValue> mtus;
  if (!IsVistaOrLater(kind) || ticked.empty()) return mtus;
  const std::string mtu = std::to_string(number);
  for (const Adapter& named : FindAdapters(registry, kind, true)) {
    if (named.stack != AdapterStack::Interface || named.name == named.id) continue;
    // The name is made only for an adapter that is ticked.
    for (const Adapter& t : ticked) {
      if (t.id != named.id) continue;
      TcpValue value{kInterfaceMtuPrefix, mtu};
      value.name += named.name;
      if (!IsTcpSettingName(value.name)) continue;
      mtus.push_back(std::move(value));
      // IPv6 keeps its own MTU, and takes none below its minimum: there it
      // is left as it is.
      if (number >= kIpv6MinimumMtu)
        mtus.push_back({kInterfaceMtu6Prefix + named.name, mtu});
    }
  }
  return mtus;
}

std::string Ipv6MtuNote(int kind, const Panel& panel) {
  if (!IsVistaOrLater(kind) || ReadWholeNumber(panel.customMtu.text) >= kIpv6MinimumMtu) return "";
  return "The IPv6 MTU is left as it is: IPv6 takes none below 1280.";
}

std::vector<TcpValue> InterfaceMtuChanges(TcpSettingsAccess& access,
                                          const std::vector<TcpValue>& wanted,
                                          std::vector<TcpValue>* before) {
  before->clear();
  std::vector<TcpValue> changes;
  if (wanted.empty()) return changes;
  std::vector<std::string> names;
  for (const TcpValue& v : wanted) names.push_back(v.name);
  std::string error;
  if (!access.Read(names, before, &error)) throw Error(error);
  std::vector<TcpValue> kept;
  for (const TcpValue& b : *before) {
    if (!CheckTcpValue(ClientOf(kWinVista), b).empty()) continue;
    kept.push_back(b);
    for (const TcpValue& v : wanted)
      if (b.name == v.name && b.value != v.value) changes.push_back(v);
  }
  *before = std::move(kept);
  return changes;
}

}  // namespace iz
