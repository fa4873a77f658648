#include "optimize/apply_common.h"

#include <string>

namespace iz::apply {

void WriteConnectionLimits(RawRegistry& registry, std::int64_t perServer,
                           std::int64_t per10Server) {
  WriteDwordAt(registry, kHKCU, map::kInternetSettingsUpperKey, map::kMaxConnectionsPerServer,
               Low32(perServer));
  WriteDwordAt(registry, kHKCU, map::kInternetSettingsUpperKey, map::kMaxConnectionsPer1_0Server,
               Low32(per10Server));
}

void WriteOptimizedPorts(const Panel& panel, ProfileStrings& profiles) {
  const std::string path = WinIniPath(profiles);
  if (!panel.comPorts.checked) return;
  ProfileFile winIni(profiles, path);
  for (const char* port : map::kComPorts) {
    winIni.PutProfileText(map::kSectionPorts, port, map::kPortsOptimized);
  }
}

}  // namespace iz::apply
