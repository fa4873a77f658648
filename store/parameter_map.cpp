#include "store/parameter_map.h"

namespace iz::map {

const Location* FindLocation(HKey root, const char* key, const char* value) {
  for (const Location& l : kParameterMap) {
    if (l.root == root && SameKeyPath(l.key, key) && SameName(l.value, value)) return &l;
  }
  return nullptr;
}

}  // namespace iz::map
