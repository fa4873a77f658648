#pragma once
// <windows.h> for this program's Win32 side. Include it before any other
// header: it removes the A/W macros whose names clash with the Platform
// interface (MessageBox, CopyFile, ...) and with iz::FormatMessage, so that
// every translation unit sees those declarations under their own names.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#undef MessageBox
#undef CreateDirectory
#undef SetFileAttributes
#undef CopyFile
#undef LookupPrivilegeValue
#undef FormatMessage
