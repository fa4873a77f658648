#pragma once
// Reading the values in force on the NT family into the panel.
#include <optional>
#include <string>

#include "model/panel.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// Sets the texts and boxes that the NT family stores; the change rules of
// the fields run as the texts are set. Writes no value, but opens the
// network class instance and the COMBUFF key with creation.
// An adapter's MTU, when given, is shown instead of the literal key's.
void ReadNTSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                    const std::optional<std::string>& adapterMtu = std::nullopt);

}  // namespace iz
