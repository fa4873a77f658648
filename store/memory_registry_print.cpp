// The registry's values as test failures print them; apart from the rest so
// that the program, which runs the substitute for its preview, does not
// take the stream library with it.
#include <iomanip>
#include <ostream>

#include "store/memory_registry.h"

namespace iz {

namespace {

std::string RootName(HKey root) { return root == kHKLM ? "HKLM" : root == kHKCU ? "HKCU" : "?"; }

}  // namespace

std::ostream& operator<<(std::ostream& out, const MemoryRegistry::Value& v) {
  out << "type " << v.type << " [";
  for (std::size_t i = 0; i < v.data.size(); ++i) {
    out << (i ? " " : "") << std::hex << std::setw(2) << std::setfill('0') << int{v.data[i]}
        << std::dec;
  }
  return out << "]";
}

std::ostream& operator<<(std::ostream& out, const MemoryRegistry::Entry& e) {
  return out << RootName(e.root) << "\\" << e.key << " [" << e.name << "] "
             << MemoryRegistry::Value{e.type, e.data};
}

}  // namespace iz
