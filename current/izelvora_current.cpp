// Showing the settings in force: the menu item and the toolbar button run the
// reader of the detected family.
#include "app/izelvora.h"
#include "app/os_kind.h"
#include "current/read_9x.h"
#include "current/read_nt.h"

namespace iz {

void TIZelvora::ViewCurentSettings1Click() {
  const int kind = GetOSKind(platform_);
  if (Is9xFamily(kind)) {
    Read9xSettings();
  } else if (IsNTFamily(kind)) {
    ReadNTSettings();
  }
}

void TIZelvora::ToolButton1Click() { ViewCurentSettings1Click(); }

void TIZelvora::ReadNTSettings() { iz::ReadNTSettings(*this, registry_, profiles_); }

void TIZelvora::Read9xSettings() { iz::Read9xSettings(*this, registry_, profiles_); }

}  // namespace iz
