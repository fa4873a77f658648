#pragma once
// Writes the tuning panel into the 9x family's MSTCP, NDI and class settings,
// the browser limits and the serial ports of Win.ini. Also the applier of a
// system whose kind is unknown.
#include "model/panel.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// Raises iz::Error and stops at the first failure; what was written before
// stays. A field that must be a whole number and is not is found before
// anything is written, and before beforeWriting runs. The kind decides
// whether the global window values are written: Windows 95 has none.
void Apply9xSettings(const Panel& panel, RawRegistry& registry, ProfileStrings& profiles, int kind,
                     const BeforeWriting& beforeWriting);

}  // namespace iz
