#pragma once
// Reading the values in force: the one entry that picks the family's reader,
// for the start-up, View Current Settings and the panel after an Undo.
#include "model/os_kind.h"
#include "model/panel.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

void ReadSettings(WinFamily family, Panel& panel, RawRegistry& registry, ProfileStrings& profiles);

}  // namespace iz
