#pragma once
// Reading the values in force on the 9x family into the panel.
#include <optional>
#include <string>

#include "model/panel.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// Sets the texts and boxes that the 9x family stores, then disables the value
// fields without recolouring them. Values of other kinds (or absent) leave
// their control as it was. Opens every key read-only.
// An adapter's MTU, when given, is shown instead of instance 0000's.
void Read9xSettings(Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                    const std::optional<std::string>& adapterMtu = std::nullopt);

}  // namespace iz
