#include "win32/late_bound.h"

#include <cstring>

namespace iz::win32 {

FARPROC SystemProc(const char* dll, const char* name) {
  HMODULE module = GetModuleHandleA(dll);
  if (!module) {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t length = std::strlen(dll);
    if (n == 0 || n + 1 + length >= MAX_PATH) return nullptr;
    path[n] = '\\';
    std::memcpy(path + n + 1, dll, length + 1);
    // Kept for the rest of the run: the caller holds on to its function.
    module = LoadLibraryA(path);
    if (!module) return nullptr;
  }
  return GetProcAddress(module, name);
}

}  // namespace iz::win32
