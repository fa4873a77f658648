// Showing the settings in force: the menu item, the toolbar button and F3
// run the reader of the running family.
#include "commands/izelvora.h"
#include "current/read.h"

namespace iz {

void TIZelvora::OnViewCurrentSettings() { ReadSettings(RunningFamily()); }

// A family forced other than the running one has no adapters to read.
void TIZelvora::ReadSettings(WinFamily family) {
  const int kind = RunningKind();
  const std::vector<Adapter> adapters =
      FamilyOf(kind) == family ? TickedAdapters(kind) : std::vector<Adapter>();
  iz::ReadSettings(family, adapters, *this, registry_, profiles_);
}

}  // namespace iz
