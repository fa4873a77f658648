// Placeholder until this subsystem lands; its owner replaces the whole file.
#include "app/izelvora.h"
#include "store/error.h"
namespace iz {
void TIZelvora::RestoreWindowsDefaults1Click() { throw Error("not built yet"); }
void TIZelvora::ToolButton6Click() { throw Error("not built yet"); }
void TIZelvora::RestoreNTDefaults() { throw Error("not built yet"); }
void TIZelvora::Restore95Defaults() { throw Error("not built yet"); }
void TIZelvora::Restore98Defaults() { throw Error("not built yet"); }
void TIZelvora::Backup1Click() { throw Error("not built yet"); }
void TIZelvora::Restoreyouroriginalconfiguration1Click() { throw Error("not built yet"); }
}  // namespace iz
