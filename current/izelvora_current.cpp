// Placeholder until this subsystem lands; its owner replaces the whole file.
#include "app/izelvora.h"
#include "store/error.h"
namespace iz {
void TIZelvora::ViewCurentSettings1Click() { throw Error("not built yet"); }
void TIZelvora::ToolButton1Click() { throw Error("not built yet"); }
void TIZelvora::ReadNTSettings() {}
void TIZelvora::Read9xSettings() {}
}  // namespace iz
