#include "store/error.h"

namespace iz {

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
  std::string text = pattern;
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

std::string CountText(std::size_t count, const char* one, const char* many) {
  return std::to_string(count).append(" ").append(count == 1 ? one : many);
}

}  // namespace iz
