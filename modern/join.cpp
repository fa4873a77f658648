#include "modern/join.h"

namespace iz {

std::string JoinText(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view p : pieces) text.append(p.data(), p.size());
  return text;
}

}  // namespace iz
