// Placeholder until this subsystem lands; its owner replaces the whole file.
#include "app/izelvora.h"
#include "store/error.h"
namespace iz {
void TIZelvora::FirstRunCheck() {}
void TIZelvora::Contents1Click() { throw Error("not built yet"); }
void TIZelvora::ToolButton8Click() { throw Error("not built yet"); }
void TIZelvora::Check1Click() { throw Error("not built yet"); }
void TIZelvora::HomePage1Click() { throw Error("not built yet"); }
void TIZelvora::AboutInternetZelvora1Click() { throw Error("not built yet"); }
void TIZelvora::About1Click() { throw Error("not built yet"); }
void TIZelvora::glLabel2Click() { throw Error("not built yet"); }
void TIZelvora::Label2Click() { throw Error("not built yet"); }
}  // namespace iz
