#include "store/error.h"

namespace iz {

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
  std::string text = pattern;
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

}  // namespace iz
