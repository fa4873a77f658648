// What every fuzzer takes for its checks: a broken promise aborts, so that
// libFuzzer keeps the input; names compare as the registry compares them.
#pragma once
#include <cstdlib>
#include <string>

namespace fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

inline std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace fuzz
