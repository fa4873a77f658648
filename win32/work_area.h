#pragma once
// Where a window may go: the work area of the monitor it is on (the screen
// less the taskbar and the desktop toolbars). Every window of the program is
// placed through here, so that none opens off the screen, whatever the
// screen's size and DPI.
#include "win32/win.h"

namespace iz::win32 {

// The work area of the monitor that holds the larger part of `place` (the
// nearest monitor when none does). Without a place, and where the system
// knows no monitors (Windows 95 and NT 4.0), the primary monitor's.
RECT WorkArea(const RECT* place = nullptr);

// What a window larger than the area it must fit in does: a window whose
// content follows its size is shrunk to the area; one with a fixed layout
// keeps its size and sits at the area's top left, so that its title bar,
// menu and first controls are the part on the screen.
enum class Fit { Shrink, KeepSize };

// `place` moved as little as puts it wholly inside `area`; larger than the
// area in width or height, as `fit` says.
RECT FitInto(const RECT& place, const RECT& area, Fit fit);

// Where a window of this size goes centred over `over` (screen
// coordinates), fitted into the work area of the monitor that place is on.
RECT CentredPlace(SIZE size, const RECT& over, Fit fit = Fit::Shrink);
// Moves the window there.
void CentreOver(HWND hwnd, const RECT& over, Fit fit = Fit::Shrink);

}  // namespace iz::win32
