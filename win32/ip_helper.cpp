#include "win32/ip_helper.h"

#include "win32/win.h"
// After <windows.h>, which it needs.
#include <iphlpapi.h>

#include "win32/late_bound.h"

namespace iz::win32 {

std::vector<MtuInUse> QueryMtusInUse() {
  using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
  using GetIfEntryFn = DWORD(WINAPI*)(PMIB_IFROW);
  const auto getAdaptersInfo = SystemFunction<GetAdaptersInfoFn>("iphlpapi.dll", "GetAdaptersInfo");
  const auto getIfEntry = SystemFunction<GetIfEntryFn>("iphlpapi.dll", "GetIfEntry");
  std::vector<MtuInUse> found;
  if (!getAdaptersInfo || !getIfEntry) return found;
  ULONG size = 0;
  if (getAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return found;
  std::vector<unsigned char> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (getAdaptersInfo(first, &size) != NO_ERROR) return found;
  for (const IP_ADAPTER_INFO* a = first; a; a = a->Next) {
    MIB_IFROW row{};
    row.dwIndex = a->Index;
    if (getIfEntry(&row) == NO_ERROR) found.push_back({a->AdapterName, a->Description, row.dwMtu});
  }
  return found;
}

}  // namespace iz::win32
