// Showing the settings in force: the menu item, the toolbar button and F3
// run the reader of the running family.
#include "commands/izelvora.h"
#include "current/read.h"

namespace iz {

void TIZelvora::OnViewCurrentSettings() { ReadSettings(RunningFamily()); }

void TIZelvora::ReadSettings(WinFamily family) {
  iz::ReadSettings(family, *this, registry_, profiles_);
}

}  // namespace iz
