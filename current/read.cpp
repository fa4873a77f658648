#include "current/read.h"

#include "current/read_9x.h"
#include "current/read_nt.h"

namespace iz {

void ReadSettings(WinFamily family, const std::vector<Adapter>& adapters, Panel& panel,
                  RawRegistry& registry, ProfileStrings& profiles) {
  std::optional<std::string> adapterMtu;
  for (const Adapter& adapter : adapters) {
    if ((adapterMtu = StoredMtu(registry, adapter))) break;
  }
  if (family == WinFamily::NT) {
    ReadNTSettings(panel, registry, profiles, adapterMtu);
  } else {
    Read9xSettings(panel, registry, profiles, adapterMtu);
  }
}

}  // namespace iz
