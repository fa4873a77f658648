#pragma once
// The settings as they stand, and put back: every mapped value, those of the
// adapters, and the ports of Win.ini, read and written value by value. Backup
// and the journal hold the same snapshot, in the Backup folder beside the
// program.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "adapters/adapters.h"
#include "model/platform.h"
#include "snapshot/reg_file.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// The program's folder (up to and including the last backslash) + "Backup".
std::string BackupFolder(Platform& platform);

// The Backup folder may be writable by others: a junction or link there
// would turn the elevated copies and writes onto files of their choosing.
// The refusal's text when path is one, else the empty text.
std::string LinkFailure(Platform& platform, const std::string& path);

// "Unable to write to <path>: " and why, for a write of the platform's that
// failed just now: the folder missing, the path a folder, else the system's
// own text. Asked right after the failure, before anything else of the
// platform's runs.
std::string UnableToWriteText(Platform& platform, const std::string& path);

// The Backup and History folders hold what the program, run as an
// administrator, will write back into the machine's settings: a folder that
// another account owns or may write in could steer those writes. The
// refusal's text when folder is such a one, else the empty text (always on
// the 9x family, which has no such security).
std::string FolderSafetyFailure(Platform& platform, const std::string& folder);

// The whole of a saved Registry.reg file, or an error: a link, a file over
// 1 MiB, a line that is not understood or a value that the backup never
// saves (neither mapped nor an adapter's) stops the reader before anything changes, naming the file (and the
// line).
std::vector<RegValueRecord> ReadSavedValuesFile(Platform& platform, const std::string& path);

// The current state of every mapped registry value, in map order; keys are
// only opened for reading. A value is absent only when the registry says it
// does not exist; any other failure raises "Failed to get data for '%s'"
// naming the value and its key.
std::vector<RegValueRecord> CaptureMappedValues(RawRegistry& registry);
// The current state of each value named by root, keyPath and name, in the
// given order, by the same rules. missingKeys, when given, gets the index of
// the first value of each key that does not exist, in that order.
std::vector<RegValueRecord> CaptureValues(RawRegistry& registry,
                                          std::vector<RegValueRecord> records,
                                          std::vector<std::size_t>* missingKeys = nullptr);
// The values the adapter step writes, adapter by adapter in the given order
// (the 9x family's instances 0000 to 0002 are mapped already): their names,
// and their current state.
std::vector<RegValueRecord> AdapterRows(const std::vector<Adapter>& adapters);
std::vector<RegValueRecord> CaptureAdapterValues(RawRegistry& registry,
                                                 const std::vector<Adapter>& adapters);
// Every mapped value, then those of every adapter of the running kind: what
// a backup and a journal record hold.
std::vector<RegValueRecord> CaptureSettings(RawRegistry& registry, Platform& platform);
// One entry of Win.ini [Ports] as it stands: its value, or nothing when absent.
using PortEntry = std::optional<std::string>;
// "COM1:" to "COM5:" of [Ports], in that order; only read, never flushed.
std::vector<PortEntry> CapturePorts(ProfileStrings& profiles);
// Writes each present value with its saved type and data (creating its key,
// but never an adapter's: an adapter that is gone is left so) and removes
// each absent one (without creating its key). Tries every record
// and returns one line per value that could not be written or removed.
std::vector<std::string> PutBackValues(RawRegistry& registry,
                                       const std::vector<RegValueRecord>& records);

}  // namespace iz
