#pragma once
// <windows.h> for this program's Win32 side, included instead of it: it
// removes the A/W macros whose names clash with the Platform interface
// (MessageBox, CopyFile, ...) and with iz::FormatMessage, so that code after
// it calls those members under their own names.
// <windows.h> must come before the others.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#undef MessageBox
#undef CreateDirectory
#undef SetFileAttributes
#undef CopyFile
#undef DeleteFile
#undef LookupPrivilegeValue
#undef FormatMessage
