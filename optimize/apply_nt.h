#pragma once
// Writes the tuning panel into the NT family's TCP/IP, NetBT and browser
// settings, plus the 9x locations (NDI, SLOWNET, VCACHE, COMBUFF) that the
// NT side writes too, and the serial ports of Win.ini.
#include "model/panel.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// Raises iz::Error and stops at the first failure; what was written before
// stays. A field that is not a whole number is found before anything is
// written, and before beforeWriting runs.
void ApplyNTSettings(const Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                     const BeforeWriting& beforeWriting);

}  // namespace iz
