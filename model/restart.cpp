#include "model/restart.h"

#include "model/os_kind.h"
#include "store/error.h"

namespace iz {

namespace {

// Fixed program paths: they are the restart helpers' names on a stock
// installation, not built from the Windows directory.
constexpr const char* kRundll = "C:\\windows\\rundll.exe";
constexpr const char* kRundllParams = "user.exe,exitwindowsexec";
constexpr const char* kRundll32 = "C:\\WINDOWS\\RUNDLL32.EXE";
constexpr const char* kRundll32Params = "shell32,SHExitWindowsEx 2";
// By its full path in the system directory: a bare name would be looked for
// in the current directory first, where anybody may have put a SHUTDOWN.bat
// that would then run with our rights.
constexpr const char* kShutdown = "\\shutdown.exe";
constexpr const char* kShutdownParams = "-r -t 01";
constexpr const char* kRestartFailed = "Windows could not be restarted: %s";

}  // namespace

RestartMeans MeansForKind(int kind) {
  if (kind == kWin95) return RestartMeans::Rundll;
  if (IsWin98Family(kind)) return RestartMeans::Rundll32;
  if (kind == kWinNT4) return RestartMeans::ExitWindowsNT4;
  if (IsNTFamily(kind)) return RestartMeans::ExitWindowsNT5;
  return RestartMeans::None;
}

std::uint32_t ExitFlagsFor(RestartMeans means) {
  return means == RestartMeans::ExitWindowsNT4 ? kEwxReboot : kEwxReboot | kEwxForceIfHung;
}

bool ExitWindowsWithPrivilege(Platform& platform, std::uint32_t flags) {
  // Only the NT platform guards the shutdown behind a privilege; a failure to
  // get it is not reported, Windows then simply refuses the exit below.
  if (IsNTFamily(GetOSKind(platform)) &&
      platform.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery)) {
    if (platform.LookupPrivilegeValue(kShutdownPrivilege)) {
      platform.AdjustTokenPrivileges(kSePrivilegeEnabled);
    }
    platform.CloseToken();
  }
  return platform.ExitWindowsEx(flags, kRestartReason);
}

void RestartByMeans(Platform& platform, RestartMeans means) {
  bool started = true;
  switch (means) {
    case RestartMeans::None:
      return;
    case RestartMeans::Rundll:
      started = platform.ShellOpen(Owner::MainWindow, kRundll, kRundllParams);
      break;
    case RestartMeans::Rundll32:
      started = platform.ShellOpen(Owner::MainWindow, kRundll32, kRundll32Params);
      break;
    case RestartMeans::ExitWindowsNT4:
    case RestartMeans::ExitWindowsNT5:
      if (!ExitWindowsWithPrivilege(platform, ExitFlagsFor(means))) {
        const std::string system = platform.SystemDirectory();
        started = !system.empty() &&
                  platform.ShellOpen(Owner::MainWindow, system + kShutdown, kShutdownParams);
      }
      break;
  }
  // The user answered Yes and waits for a restart that will not come.
  if (!started) throw Error(FormatMessage(kRestartFailed, platform.LastErrorText()));
}

}  // namespace iz
