#pragma once
// Saving the settings into the Backup folder beside the program and putting
// them back: the four system files, and the registry values of the parameter
// map in Registry.reg (the NT family has no registry files to copy, so that
// file is what makes a backup useful there).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/platform.h"
#include "snapshot/snapshot.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// "&Backup your settings": reads every mapped value first (a value that
// cannot be read stops it before anything is written), copies the files that
// exist and writes Registry.reg, then reports success. Raises an error naming
// every file that existed but could not be copied, or Registry.reg when it
// could not be written. The Backup folder is made so that only the
// administrators may write in it; one, or a file in it, that is a junction
// or link is refused, and so is one that another account owns or may
// write in (FolderSafetyFailure), before anything is copied.
void SaveSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform);
// The step before Restore previous settings writes, given every value it
// is about to put back, so that a record of them can hold each one.
using BeforeRestoring = std::function<void(const std::vector<RegValueRecord>& values)>;
// "Restore &previous settings": refuses a Backup folder as SaveSettings
// does; with nothing saved only says so. Otherwise
// reads the whole of Registry.reg first (a bad line, or a file over 1 MiB,
// stops everything before anything changes), runs beforeWriting, copies back
// every saved file (each replaced whole) and puts every value back, then
// reports success, or raises one error naming everything that failed.
void RestoreSavedSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                          const BeforeRestoring& beforeWriting);

}  // namespace iz
