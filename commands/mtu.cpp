// "&Find Largest MTU...": the window, whose "&Use as Custom MTU" sets the
// panel's MTU as the user would.
#include "commands/izelvora.h"
#include "mtu/mtu_search.h"

namespace iz {

void TIZelvora::OnFindMtu() {
  Plat().ShowFindMtu([this](int mtu) {
    std::string said;
    Dispatch([this, mtu, &said] {
      mtu::UseAsCustomMtu(*this, mtu);
      said = mtu::UsedText(*this);
    });
    return said;
  });
}

}  // namespace iz
