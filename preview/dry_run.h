#pragma once
// Optimize without its effect: the family's applier runs against an
// in-memory registry and Win.ini, and what it wrote there is compared with
// the real settings (the preview) or written out as a .reg file (the
// export). Nothing here knows the write list: it is whatever the applier
// does, so the preview and the file cannot drift from Optimize.
#include <string>
#include <utility>
#include <vector>

#include "adapters/adapters.h"
#include "model/os_kind.h"
#include "model/panel.h"
#include "model/platform.h"
#include "model/preview_report.h"
#include "snapshot/reg_file.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// Everything one applier run writes, in its order, each value once (a value
// written twice keeps its first place and its last data), keys in the
// parameter map's spelling; and the Win.ini entries as section, key, value.
struct RecordedRun {
  std::vector<RegValueRecord> values;
  std::vector<std::pair<std::string, std::string>> ports;  // [Ports] entry, value
};

// Runs Optimize of kind on an empty registry that has only the keys every
// installed Windows has, and no adapter: their keys belong to one machine.
// Raises the applier's error (an invalid field).
RecordedRun RecordOptimize(const Panel& panel, int kind);

// The preview: the mapped values, the adapters' values and the [Ports]
// entries are read (only read) from registry and profiles into an in-memory
// copy, Optimize of kind runs on the copy, and every value it leaves
// different from the copy's seed is one line, marked with whether this kind
// of Windows reads it. Raises the applier's error, as Optimize would.
PreviewReport PreviewOptimize(const Panel& panel, const std::vector<Adapter>& adapters,
                              RawRegistry& registry, ProfileStrings& profiles, int kind);

// Whether a kind of Windows reads a value Optimize writes, as Microsoft
// documents it: "yes", or the reason it does not ("no: ...", "not
// documented for this Windows").
const char* ReadByText(int kind, HKey root, const std::string& key, const std::string& name);

// The text of a DWORD, a string or bytes as the preview shows it:
// "600000 (0x000927C0)", the string itself, "01 02".
std::string ValueDisplayText(std::uint32_t type, const std::vector<std::uint8_t>& data);

// The ticked connection type and method as the panel shows them:
// "CABLE / DSL, Automatic Mode 1".
std::string ProfileText(const Panel& panel);
// The name the Save As dialog offers: "Zelvora Cable-DSL Method 1.reg".
std::string DefaultExportFileName(const Panel& panel);

// What the export's heading names.
struct ExportHeading {
  std::string date;     // "2026-12-07"
  std::string profile;  // "CABLE / DSL, Automatic Mode 1"
};

// The REGEDIT4 file of a recorded run: a heading naming the program, the
// date, the systems the file is for (those like kind) and the profile, and
// that the adapters are left out; every value in the applier's order
// ("Name"=- for a removal); the Win.ini entries as comments to set by hand.
std::string ExportRegText(const RecordedRun& run, int kind, const ExportHeading& heading);

}  // namespace iz
