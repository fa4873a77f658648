#pragma once
// Optimize's one entry: the applier of the kind's family writes the panel,
// then the adapter step writes the MTU where the TCP/IP stack reads it, into
// each ticked adapter. The window, the command line and the preview all come
// through here, so that a kind can never be sent to the other family's
// applier by one of them alone.
#include <vector>

#include "adapters/adapters.h"
#include "model/os_kind.h"
#include "model/panel.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

void ApplySettings(int kind, const Panel& panel, const std::vector<Adapter>& adapters,
                   RawRegistry& registry, ProfileStrings& profiles,
                   const BeforeWriting& beforeWriting);

// The adapter step alone: every value of AdapterValues into each adapter's
// own key, which it never creates; the 9x family's instances 0000 to 0002
// are the applier's. Raises "Failed to set data for '%s'".
void WriteAdapterValues(const Panel& panel, const std::vector<Adapter>& adapters,
                        RawRegistry& registry);

}  // namespace iz
