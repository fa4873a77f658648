#pragma once
// Writing the Windows default values back, one variant per kind of system,
// then offering the restart that makes the stack pick them up.
#include <vector>

#include "adapters/adapters.h"
#include "model/os_kind.h"
#include "model/panel.h"
#include "model/platform.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// Each variant runs beforeWriting first, and removes the adapter values
// Optimize writes from the adapters given (so that each adapter uses its
// own MTU again). The caller offers the restart (OfferDefaultsRestart) once
// its own work after the writes is done.
//
// The NT family. Win.ini's ports are reset only when "Optimize COM ports" is
// ticked in the panel; nothing else of the panel is read.
void RestoreNTDefaults(const Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                       Platform& platform, const BeforeWriting& beforeWriting,
                       const std::vector<Adapter>& adapters = {});
// Windows 95 and unrecognised systems.
void Restore95Defaults(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                       const BeforeWriting& beforeWriting,
                       const std::vector<Adapter>& adapters = {});
// Windows 98, 98 SE and Millennium: as 95, and also removes what only the 98
// applier writes.
void Restore98Defaults(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                       const BeforeWriting& beforeWriting,
                       const std::vector<Adapter>& adapters = {});

// The restart that makes the stack of a kind pick the defaults up, offered
// with a question.
// inForceNow, when given, follows the question: what already works.
void OfferDefaultsRestart(int kind, Platform& platform, const std::string& inForceNow = "");

// The variant of a kind: NT family, 98 family, or 95 for the rest
// (unrecognised systems included).
void RestoreDefaults(int kind, const Panel& panel, const std::vector<Adapter>& adapters,
                     RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                     const BeforeWriting& beforeWriting);

}  // namespace iz
