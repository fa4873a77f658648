#pragma once
// Optimize's one entry: the applier of a family writes the panel. The window,
// the command line and the preview all come through here, so that a family
// can never be sent to the other's applier by one of them alone.
#include "model/os_kind.h"
#include "model/panel.h"
#include "model/platform.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

void ApplySettings(WinFamily family, const Panel& panel, RawRegistry& registry,
                   ProfileStrings& profiles, Platform& platform,
                   const BeforeWriting& beforeWriting);

}  // namespace iz
