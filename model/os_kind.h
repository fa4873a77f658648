#pragma once
// Which Windows the program runs on. GetOSKind answers a small signed int so
// that the kinds keep the order of the name table; compare it only with the
// names and predicates below, never with a bare number.
#include <string>

#include "model/platform.h"

namespace iz {

inline constexpr int kUnknown = -1;
inline constexpr int kWin95 = 0;
inline constexpr int kWin98 = 1;
inline constexpr int kWin98SE = 2;
inline constexpr int kWinMe = 3;
inline constexpr int kWinNT4 = 4;
inline constexpr int kWin2000 = 5;
inline constexpr int kWinXP = 6;  // also Server 2003 (5.2)
inline constexpr int kWinVista = 7;
inline constexpr int kWin7 = 8;
inline constexpr int kWin8 = 9;  // also 8.1 and later when the version query bends
inline constexpr int kWin81 = 10;
inline constexpr int kWin10 = 11;
inline constexpr int kWin11 = 12;     // 10.0, build 22000 and later
inline constexpr int kWinLater = 13;  // every system after 11, named by its version
inline constexpr int kLastKind = kWinLater;

int GetOSKind(Platform& platform);
// The kind of a version as GetVersion gives it.
int KindOf(const VersionInfo& version);

// The running Windows as the TCP settings depend on it: its kind, its build
// (0 where the system gives none) and whether it is a server edition (a
// server or a domain controller). A server keeps the kind of the client of
// the same version (Server 2008 is kWinVista, 2016 to 2022 kWin10), so that
// the family logic holds for it; its defaults differ, and its name.
struct RunningWindows {
  int kind = kUnknown;
  std::uint32_t build = 0;
  bool server = false;
};
RunningWindows GetRunningWindows(Platform& platform);
// Its name: a server edition's own ("Windows Server 2019"), else OSName.
std::string WindowsName(const RunningWindows& w);
// A client of a kind at a build, for callers that name one.
inline RunningWindows ClientOf(int kind, std::uint32_t build = 0) { return {kind, build, false}; }

// The display name of a kind (index kind + 1 of the name table); a later
// system than 11 is "Windows" with no number here, SystemName gives it.
const char* OSName(int kind);
// The name of the running system as the status line shows it: OSName of
// its kind, for a system after 11 "Windows " and its version, "Windows
// 12.0", and for a server edition from 2003 on its own name, "Windows
// Server 2008 R2", told by version and build.
std::string SystemName(Platform& platform);

// The two families of Windows, each with its own places for the settings.
enum class WinFamily { Win9x, NT };

// The one answer to "is this the NT family": NT 4.0 and every later kind,
// all tuned as Windows 8 is. Everything else,
// an unrecognised system included, is read, optimized and restored as 9x.
inline WinFamily FamilyOf(int kind) {
  return kind >= kWinNT4 && kind <= kLastKind ? WinFamily::NT : WinFamily::Win9x;
}
inline bool IsNTFamily(int kind) { return FamilyOf(kind) == WinFamily::NT; }
// Within the 9x family, 98, 98 SE and Millennium share their defaults.
inline bool IsWin98Family(int kind) { return kind >= kWin98 && kind <= kWinMe; }
// Vista rewrote the stack: from there on its TCP settings are netsh's.
inline bool IsVistaOrLater(int kind) { return kind >= kWinVista && kind <= kLastKind; }

// "the Windows NT family (NT 4.0, 2000, XP, Vista, 7, 8, 10, 11 and later)" and its
// 9x twin.
const char* FamilyName(WinFamily family);
// The systems whose Optimize writes what it writes on this kind: the NT
// family, "Windows 95", or "Windows 98, 98 SE and Millennium" (the 9x family
// but 95, which lacks the global window values).
const char* SystemsLike(int kind);

}  // namespace iz
