// One writer at a time across every copy of the program.
#include "win32/win32_platform.h"

namespace iz::win32 {

// Placeholder until the named mutex is taken.
bool Win32Platform::TakeWriterLock() { return true; }
void Win32Platform::ReleaseWriterLock() {}

}  // namespace iz::win32
