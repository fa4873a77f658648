#include "current/read.h"

#include "current/read_9x.h"
#include "current/read_nt.h"

namespace iz {

void ReadSettings(WinFamily family, Panel& panel, RawRegistry& registry, ProfileStrings& profiles) {
  if (family == WinFamily::NT) {
    ReadNTSettings(panel, registry, profiles);
  } else {
    Read9xSettings(panel, registry, profiles);
  }
}

}  // namespace iz
