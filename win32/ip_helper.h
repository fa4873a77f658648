#pragma once
// The IP helper's MTU in use, which the program reaches at run time only:
// iphlpapi.dll is missing from Windows 95, from NT 4.0 before its fourth
// service pack, and more.
#include <vector>

#include "model/platform.h"

namespace iz::win32 {

// GetAdaptersInfo and GetIfEntry where the system has them; empty otherwise.
std::vector<MtuInUse> QueryMtusInUse();

}  // namespace iz::win32
