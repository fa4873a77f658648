#include "model/os_kind.h"

namespace iz {

namespace {
constexpr const char* kOSNames[kLastKind - kUnknown + 1] = {
    "Unknown",
    "Windows 95",
    "Windows 98",
    "Windows 98 Second Edition",
    "Windows Millennium",
    "Windows NT 4.0",
    "Windows 2000",
    "Windows XP",
    "Windows Vista",
    "Windows 7",
    "Windows 8",
    "Windows 8.1",
    "Windows 10",
    "Windows 11",
    "Windows",
};

constexpr std::uint32_t kFirstWin11Build = 22000;

}  // namespace

int KindOf(const VersionInfo& v) {
  if (v.platformId == kVerPlatformWin32Windows) {
    if (v.major == 4 && v.minor == 0) return kWin95;
    // 98 Second Edition carries " A " as its service-pack text; only the
    // second character is looked at.
    if (v.major == 4 && v.minor == 10)
      return v.csdVersion.size() > 1 && v.csdVersion[1] == 'A' ? kWin98SE : kWin98;
    if (v.major == 4 && v.minor == 90) return kWinMe;
    return kUnknown;
  }
  if (v.platformId == kVerPlatformWin32NT) {
    // Signed comparison: NT 3.x counts as NT 4.0.
    if (static_cast<int>(v.major) <= 4) return kWinNT4;
    if (v.major == 5 && v.minor == 0) return kWin2000;
    if (v.major == 5 && (v.minor == 1 || v.minor == 2)) return kWinXP;
    if (v.major == 6 && v.minor == 0) return kWinVista;
    if (v.major == 6 && v.minor == 1) return kWin7;
    if (v.major == 6 && v.minor == 2) return kWin8;
    if (v.major == 6 && v.minor == 3) return kWin81;
    // 11 kept 10's version number; only its build tells them apart.
    if (v.major == 10 && v.minor == 0) return v.build >= kFirstWin11Build ? kWin11 : kWin10;
    if (v.major > 10 || (v.major == 10 && v.minor > 0)) return kWinLater;
    return kUnknown;
  }
  return kUnknown;
}

int GetOSKind(Platform& platform) {
  VersionInfo v;
  return platform.GetVersion(v) ? KindOf(v) : kUnknown;
}

std::string SystemName(Platform& platform) {
  VersionInfo v;
  const int kind = platform.GetVersion(v) ? KindOf(v) : kUnknown;
  if (kind != kWinLater) return OSName(kind);
  return std::string(OSName(kind)) + " " + std::to_string(v.major) + "." + std::to_string(v.minor);
}

const char* OSName(int kind) {
  if (kind < kUnknown || kind > kLastKind) return kOSNames[0];
  return kOSNames[kind - kUnknown];
}

const char* FamilyName(WinFamily family) {
  return family == WinFamily::NT ? "the Windows NT family (NT 4.0, 2000, XP, Vista, 7, 8 and later)"
                                 : "the Windows 9x family (95, 98, 98 SE, Millennium)";
}

const char* SystemsLike(int kind) {
  if (IsNTFamily(kind)) return FamilyName(WinFamily::NT);
  return kind == kWin95 ? "Windows 95" : "Windows 98, 98 SE and Millennium";
}

}  // namespace iz
