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

namespace {

// The server editions by the kind of their client and their first build.
struct ServerName {
  int kind;
  std::uint32_t firstBuild;
  const char* name;
};
constexpr ServerName kServerNames[] = {
    {kWin11, 26100, "Windows Server 2025"}, {kWin11, 0, "Windows Server"},
    {kWin10, 20348, "Windows Server 2022"}, {kWin10, 17763, "Windows Server 2019"},
    {kWin10, 0, "Windows Server 2016"},     {kWin81, 0, "Windows Server 2012 R2"},
    {kWin8, 0, "Windows Server 2012"},      {kWin7, 0, "Windows Server 2008 R2"},
    {kWinVista, 0, "Windows Server 2008"},  {kWinXP, 0, "Windows Server 2003"},
};

// Null for a kind whose servers share the client's name (NT 4.0, 2000).
const char* ServerNameOf(int kind, std::uint32_t build) {
  for (const ServerName& s : kServerNames)
    if (kind == s.kind && build >= s.firstBuild) return s.name;
  return nullptr;
}

bool IsServer(const VersionInfo& v) {
  return v.platformId == kVerPlatformWin32NT &&
         (v.productType == kProductServer || v.productType == kProductDomainController);
}

}  // namespace

RunningWindows GetRunningWindows(Platform& platform) {
  VersionInfo v;
  if (!platform.GetVersion(v)) return {};
  return {KindOf(v), v.build, IsServer(v)};
}

int GetOSKind(Platform& platform) {
  VersionInfo v;
  return platform.GetVersion(v) ? KindOf(v) : kUnknown;
}

std::string SystemName(Platform& platform) {
  VersionInfo v;
  const int kind = platform.GetVersion(v) ? KindOf(v) : kUnknown;
  if (kind != kUnknown && IsServer(v)) {
    if (const char* name = ServerNameOf(kind, v.build)) return name;
  }
  if (kind != kWinLater) return OSName(kind);
  return std::string(OSName(kind)) + " " + std::to_string(v.major) + "." + std::to_string(v.minor);
}

std::string WindowsName(const RunningWindows& w) {
  if (w.server) {
    if (const char* name = ServerNameOf(w.kind, w.build)) return name;
  }
  return OSName(w.kind);
}

const char* OSName(int kind) {
  if (kind < kUnknown || kind > kLastKind) return kOSNames[0];
  return kOSNames[kind - kUnknown];
}

const char* FamilyName(WinFamily family) {
  return family == WinFamily::NT ? "the Windows NT family (NT 4.0, 2000, XP, Vista, 7, 8, 10, 11 and later)"
                                 : "the Windows 9x family (95, 98, 98 SE, Millennium)";
}

const char* SystemsLike(int kind) {
  if (IsNTFamily(kind)) return FamilyName(WinFamily::NT);
  return kind == kWin95 ? "Windows 95" : "Windows 98, 98 SE and Millennium";
}

}  // namespace iz
