#pragma once
// The "Network Adapters" window, and the IP helper's MTU in use, which the
// program reaches at run time only: iphlpapi.dll is missing from Windows 95,
// NT 4.0 before its fourth service pack, and more.
#include <vector>

#include "model/platform.h"
#include "win32/win.h"

namespace iz::win32 {

// Modal over owner, placed over it and kept inside its monitor's work area.
// True when left by OK, with each row's tick as the user left it.
bool ShowAdaptersWindow(HWND owner, std::vector<AdapterRow>* rows);

// GetAdaptersInfo and GetIfEntry where the system has them; empty otherwise.
std::vector<MtuInUse> QueryMtusInUse();

}  // namespace iz::win32
