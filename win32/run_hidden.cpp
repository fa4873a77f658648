// Running a system program with no window, its output kept.
#include "win32/win32_platform.h"

namespace iz::win32 {

// Placeholder until programs are started.
bool Win32Platform::RunHidden(const std::string&, const std::string&, std::uint32_t*,
                              std::string*) {
  return false;
}

}  // namespace iz::win32
