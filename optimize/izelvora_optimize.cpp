// Placeholder until this subsystem lands; its owner replaces the whole file.
#include "app/izelvora.h"
#include "store/error.h"
namespace iz {
void TIZelvora::ToolButton4Click() { throw Error("not built yet"); }
void TIZelvora::ApplyNTSettings() { throw Error("not built yet"); }
void TIZelvora::Apply9xSettings() { throw Error("not built yet"); }
void TIZelvora::OfferRestart(const std::string&) { throw Error("not built yet"); }
bool TIZelvora::ExitWindowsWithPrivilege(std::uint32_t) { throw Error("not built yet"); }
}  // namespace iz
