#pragma once
// Which Windows the program runs on. GetOSKind answers a small signed int so
// that the kinds keep the order of the name table; compare it only with the
// names and predicates below, never with a bare number.
#include <string>

#include "app/platform.h"

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
inline constexpr int kWin8 = 9;  // also every later system, which reports 6.2

int GetOSKind(Platform& platform);

// The display name of a kind (index kind + 1 of the name table).
const char* OSName(int kind);

// The callers' range tests, as unsigned comparisons so that nothing outside
// the named kinds matches. An unrecognised system is read, optimized and
// restored as the 9x family, so Is9xFamily includes kUnknown.
inline bool Is9xFamily(int kind) {
  return static_cast<unsigned>(kind - kUnknown) <= kWinMe - kUnknown;
}
inline bool IsWin98Family(int kind) {
  return static_cast<unsigned>(kind - kWin98) <= kWinMe - kWin98;
}
inline bool IsNTFamily(int kind) {
  return static_cast<unsigned>(kind - kWinNT4) <= kWin8 - kWinNT4;
}

}  // namespace iz
