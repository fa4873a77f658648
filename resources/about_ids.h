#pragma once
// Resource ids of the about window's pictures, inside the range 3000-3099
// that win32/resource_ids.h sets aside for them. Plain #defines so that
// the resource compiler can read this file too.

#define IDB_ABOUT_SIDE 3000  // about_side.bmp: the 41-pixel side panel
