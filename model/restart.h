#pragma once
// Restarting Windows after the settings have been written. Each OS kind has
// its own means; the restore of the Windows defaults picks the same means by
// its variant, so both go through RestartByMeans. It sits beside the platform
// it drives because Optimize and the restores both offer it.
#include <cstdint>

#include "model/platform.h"

namespace iz {

inline constexpr std::uint32_t kEwxReboot = 0x02;
inline constexpr std::uint32_t kEwxForceIfHung = 0x10;
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t kTokenQuery = 0x08;
inline constexpr std::uint32_t kSePrivilegeEnabled = 2;
inline constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";
// SHTDN_REASON_MAJOR_OPERATINGSYSTEM | SHTDN_REASON_MINOR_RECONFIG |
// SHTDN_REASON_FLAG_PLANNED: the event log records a planned restart for a
// configuration change, not an unexpected shutdown.
inline constexpr std::uint32_t kRestartReason = 0x00020000u | 0x00000004u | 0x80000000u;

enum class RestartMeans {
  None,            // unknown system: nothing is launched
  Rundll,          // Windows 95
  Rundll32,        // Windows 98, 98 SE, Millennium
  ExitWindowsNT4,  // NT 4.0: knows no EWX_FORCEIFHUNG
  ExitWindowsNT5,  // Windows 2000 and later
};

// The means that fits an OS kind; kUnknown and anything else restarts nothing.
RestartMeans MeansForKind(int kind);

// The ExitWindowsEx flags of an NT means. A plain reboot asks every program to
// close, so nobody loses unsaved work; 2000 and later also end programs that
// hang instead of letting them block the restart. EWX_FORCE is never used.
std::uint32_t ExitFlagsFor(RestartMeans means);

// Enables the shutdown privilege where the platform has one (the NT platform),
// then asks Windows to exit with flags. True when Windows accepted.
bool ExitWindowsWithPrivilege(Platform& platform, std::uint32_t flags);

// Restarts by the given means. On the NT family the system directory's
// shutdown.exe ("-r -t 01") is launched only when ExitWindowsEx refused. When
// every means fails, raises an error with the system's text.
void RestartByMeans(Platform& platform, RestartMeans means);

}  // namespace iz
