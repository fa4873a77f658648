#pragma once
// Saving the settings into the Backup folder beside the program and putting
// them back: the four system files, and the registry values of the parameter
// map in Registry.reg (the NT family has no registry files to copy, so that
// file is what makes a backup useful there).
#include <string>
#include <vector>

#include "app/platform.h"
#include "restore/reg_file.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// The program's folder (up to and including the last backslash) + "Backup".
std::string BackupFolder(Platform& platform);

// The current state of every mapped registry value, in map order; keys are
// only opened for reading.
std::vector<RegValueRecord> CaptureMappedValues(RawRegistry& registry);
// Writes each present value with its saved type and data (creating its key)
// and removes each absent one (without creating its key).
void PutBackValues(RawRegistry& registry, const std::vector<RegValueRecord>& records);

// "&Backup your settings": copies the files that exist and writes
// Registry.reg, then reports success. Raises an error naming every file that
// existed but could not be copied, or Registry.reg when it could not be
// written.
void SaveSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform);
// "Restore &previous settings": with nothing saved only says so. Otherwise
// reads the whole of Registry.reg first (a bad line stops everything before
// anything changes), copies back the saved files, puts the values back, and
// reports success, or raises an error naming what failed.
void RestoreSavedSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform);

}  // namespace iz
