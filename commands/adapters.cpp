// The adapters window: which of the network adapters Optimize, Restore
// Windows Defaults and the reading of the settings take in.
#include "commands/izelvora.h"
#include "model/title.h"
#include "store/parameter_map.h"

namespace iz {

namespace {
constexpr const char* kAutomatic = "automatic";
constexpr const char* kMtuNotReported = "not reported";
constexpr const char* kVirtualMark = " (virtual)";
constexpr const char* kNoAdapter = "No network adapter with TCP/IP was found in the registry.";

}  // namespace

std::vector<Adapter> TIZelvora::TickedAdapters(int kind) { return iz::TickedAdapters(registry_, kind); }

void TIZelvora::OnNetworkAdapters() {
  // The choice is read, shown and kept as one change.
  const WriterLock lock(platform_);
  std::vector<Adapter> adapters = FindAdapters(registry_, RunningKind(), true);
  if (adapters.empty()) {
    platform_.MessageBox(kNoAdapter, kAppTitle, MsgIcon::Information, MsgButtons::Ok);
    return;
  }
  LoadAdapterChoice(registry_, &adapters);
  const std::vector<MtuInUse> inUse = platform_.MtusInUse();
  std::vector<AdapterRow> rows;
  for (const Adapter& a : adapters) {
    AdapterRow row{a.virtualAdapter ? a.name + kVirtualMark : a.name,
                   StoredMtu(registry_, a).value_or(kAutomatic), kMtuNotReported, a.ticked};
    // By the system's id; where that is not the registry's (the 9x family),
    // by the driver's description, which names the adapter there.
    for (const MtuInUse& m : inUse) {
      if (map::SameName(m.adapter.c_str(), a.id.c_str()) ||
          (!m.description.empty() && map::SameName(m.description.c_str(), a.name.c_str())))
        row.mtuInUse = std::to_string(m.mtu);
    }
    rows.push_back(std::move(row));
  }
  if (!platform_.ShowAdapters(&rows)) return;
  for (std::size_t i = 0; i < adapters.size() && i < rows.size(); ++i) {
    adapters[i].ticked = rows[i].ticked;
  }
  SaveAdapterChoice(registry_, adapters);
}

}  // namespace iz
