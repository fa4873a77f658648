// The version of the running Windows. GetVersionExA reports 6.2 on 8.1 and
// later to a program whose manifest does not name them, and a manifest can
// never name the systems to come; RtlGetVersion in ntdll.dll answers the
// truth on the NT family. It is looked up at run time: NT 4.0 lacks it, and
// the 9x family has no ntdll.dll to speak of. The product type (workstation,
// server, domain controller) comes with the extended record, which NT 4.0
// before Service Pack 4 and Windows 95 refuse: the plain one answers there.
#include <cstring>

#include "win32/late_bound.h"
#include "win32/win32_platform.h"

namespace iz::win32 {

bool Win32Platform::GetVersion(VersionInfo& info) {
  // The extended record begins with the plain one's fields.
  OSVERSIONINFOEXA v{};
  static_assert(sizeof(v) == 156, "the extended version record");
  v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v)) != FALSE;
  if (!extended) {
    v = OSVERSIONINFOEXA{};
    v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v))) return false;
  }
#pragma GCC diagnostic pop
  if (extended && v.dwPlatformId == VER_PLATFORM_WIN32_NT) info.productType = v.wProductType;
  info.platformId = v.dwPlatformId;
  info.major = v.dwMajorVersion;
  info.minor = v.dwMinorVersion;
  info.csdVersion.assign(v.szCSDVersion, strnlen(v.szCSDVersion, sizeof(v.szCSDVersion)));
  // The 9x family keeps its version in the build number's high word.
  info.build = v.dwPlatformId == VER_PLATFORM_WIN32_NT ? v.dwBuildNumber : v.dwBuildNumber & 0xFFFF;
  if (v.dwPlatformId != VER_PLATFORM_WIN32_NT) return true;

  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion = SystemFunction<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion");
  OSVERSIONINFOW w{};
  w.dwOSVersionInfoSize = sizeof(w);
  if (rtlGetVersion == nullptr || rtlGetVersion(&w) != 0) return true;
  info.major = w.dwMajorVersion;
  info.minor = w.dwMinorVersion;
  info.build = w.dwBuildNumber;
  char csd[sizeof w.szCSDVersion];
  const int n =
      WideCharToMultiByte(CP_ACP, 0, w.szCSDVersion, -1, csd, sizeof csd, nullptr, nullptr);
  if (n > 0) info.csdVersion.assign(csd, strnlen(csd, sizeof csd));
  return true;
}

}  // namespace iz::win32
