#pragma once
// Reading the values in force: the one entry that picks the family's reader,
// for the start-up, View Current Settings and the panel after an Undo.
#include <vector>

#include "adapters/adapters.h"
#include "model/os_kind.h"
#include "model/panel.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// The MTU field shows the MTU of the first of the ticked adapters that has
// one, since that is what the stack uses; without one, the family's own place.
void ReadSettings(WinFamily family, const std::vector<Adapter>& adapters, Panel& panel,
                  RawRegistry& registry, ProfileStrings& profiles);

}  // namespace iz
