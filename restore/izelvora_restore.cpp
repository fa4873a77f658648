// Restore Windows Defaults, and saving and restoring the user's own settings.
#include "app/izelvora.h"
#include "app/os_kind.h"
#include "restore/backup.h"
#include "restore/restore_defaults.h"

namespace iz {

void TIZelvora::RestoreWindowsDefaults1Click() {
  const int kind = GetOSKind(platform_);
  // An unrecognised system is treated as the oldest 9x.
  if (kind == kUnknown || kind == kWin95) {
    Restore95Defaults();
  } else if (IsWin98Family(kind)) {
    Restore98Defaults();
  } else if (IsNTFamily(kind)) {
    RestoreNTDefaults();
  }
}

void TIZelvora::ToolButton6Click() { RestoreWindowsDefaults1Click(); }

void TIZelvora::RestoreNTDefaults() {
  iz::RestoreNTDefaults(*this, registry_, profiles_, platform_);
}

void TIZelvora::Restore95Defaults() { iz::Restore95Defaults(registry_, profiles_, platform_); }

void TIZelvora::Restore98Defaults() { iz::Restore98Defaults(registry_, profiles_, platform_); }

void TIZelvora::Backup1Click() { SaveSettings(registry_, profiles_, platform_); }

void TIZelvora::Restoreyouroriginalconfiguration1Click() {
  RestoreSavedSettings(registry_, profiles_, platform_);
}

}  // namespace iz
