#include "app/os_kind.h"

namespace iz {

namespace {
constexpr const char* kOSNames[11] = {
    "Unknown",          "Windows 95",     "Windows 98",   "Windows 98 Second Edition",
    "Windows Millennium", "Windows NT 4.0", "Windows 2000", "Windows XP",
    "Windows Vista",    "Windows 7",      "Windows 8",
};
}  // namespace

int GetOSKind(Platform& platform) {
  VersionInfo v;
  if (!platform.GetVersion(v)) return -1;
  if (v.platformId == kVerPlatformWin32Windows) {
    if (v.major == 4 && v.minor == 0) return 0;
    // 98 Second Edition carries " A " as its service-pack text; only the
    // second character is looked at.
    if (v.major == 4 && v.minor == 10) return v.csdVersion.size() > 1 && v.csdVersion[1] == 'A' ? 2 : 1;
    if (v.major == 4 && v.minor == 90) return 3;
    return -1;
  }
  if (v.platformId == kVerPlatformWin32NT) {
    // Signed comparison: NT 3.x counts as NT 4.0.
    if (static_cast<int>(v.major) <= 4) return 4;
    if (v.major == 5 && v.minor == 0) return 5;
    if (v.major == 5 && (v.minor == 1 || v.minor == 2)) return 6;
    if (v.major == 6 && v.minor == 0) return 7;
    if (v.major == 6 && v.minor == 1) return 8;
    if (v.major == 6 && v.minor == 2) return 9;
    return -1;
  }
  return -1;
}

const char* OSName(int kind) {
  if (kind < -1 || kind > 9) return kOSNames[0];
  return kOSNames[kind + 1];
}

}  // namespace iz
