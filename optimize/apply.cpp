#include "optimize/apply.h"

#include "optimize/apply_9x.h"
#include "optimize/apply_nt.h"

namespace iz {

void ApplySettings(WinFamily family, const Panel& panel, RawRegistry& registry,
                   ProfileStrings& profiles, Platform& platform,
                   const BeforeWriting& beforeWriting) {
  if (family == WinFamily::NT) {
    ApplyNTSettings(panel, registry, profiles, beforeWriting);
  } else {
    Apply9xSettings(panel, registry, profiles, platform, beforeWriting);
  }
}

}  // namespace iz
