#pragma once
// Which Windows the program runs on, as a small signed kind: -1 unrecognised,
// 0 Windows 95 ... 3 Millennium (the 9x family), 4 NT 4.0 ... 9 Windows 8.
#include <string>

#include "app/platform.h"

namespace iz {

int GetOSKind(Platform& platform);

// The display name of a kind (index kind + 1 of the name table).
const char* OSName(int kind);

// The callers' range tests, as unsigned comparisons so that only -1..3 and
// 4..9 match.
inline bool Is9xFamily(int kind) { return static_cast<unsigned>(kind + 1) < 5u; }
inline bool IsNTFamily(int kind) { return static_cast<unsigned>(kind - 4) < 6u; }

}  // namespace iz
