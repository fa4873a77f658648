#pragma once
// Calls that only newer Windows have. The import table may name only what
// Windows 95 and NT 4.0 export: Windows refuses to start a program that
// imports a function its DLLs lack. Anything newer is looked up here at run
// time, and the caller keeps a fallback for when it is absent. The wide (W)
// forms come this way too, as the 9x family lacks some of them, and so does
// everything of the shell and the common dialogs: those DLLs, and what they
// load in turn, then come when first used rather than with every start,
// where loading them was the largest part of start-up.
#include "win32/win.h"

namespace iz::win32 {

// The function `name` of the system DLL `dll` (for example "kernel32.dll"),
// or null when this Windows lacks either. A DLL that is not loaded yet is
// loaded from the system directory by its full path, never through the
// search path, which starts in the program's own folder.
FARPROC SystemProc(const char* dll, const char* name);

// SystemProc as a pointer of the function's type F.
template <class F>
F SystemFunction(const char* dll, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(SystemProc(dll, name)));
}

}  // namespace iz::win32
