#include "win32/work_area.h"

#include <algorithm>

#include "win32/late_bound.h"

namespace iz::win32 {

RECT WorkArea(const RECT* place) {
  // Windows 98 and 2000 added the monitor functions: the program must not
  // import them.
  if (place) {
    const auto fromRect =
        SystemFunction<decltype(&MonitorFromRect)>("user32.dll", "MonitorFromRect");
    const auto getInfo =
        SystemFunction<decltype(&GetMonitorInfoA)>("user32.dll", "GetMonitorInfoA");
    MONITORINFO info;
    info.cbSize = sizeof(info);
    if (fromRect && getInfo && getInfo(fromRect(place, MONITOR_DEFAULTTONEAREST), &info))
      return info.rcWork;
  }
  // The primary monitor's.
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT FitInto(const RECT& place, const RECT& area, Fit fit) {
  const LONG width = place.right - place.left, height = place.bottom - place.top;
  const LONG areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
  // A fixed layout too large either way starts at the area's top left corner,
  // where the start of that layout is seen.
  if (fit == Fit::KeepSize && (width > areaWidth || height > areaHeight))
    return RECT{area.left, area.top, area.left + width, area.top + height};
  const LONG w = std::min(width, areaWidth), h = std::min(height, areaHeight);
  const LONG x = std::max(area.left, std::min(place.left, area.right - w));
  const LONG y = std::max(area.top, std::min(place.top, area.bottom - h));
  return RECT{x, y, x + w, y + h};
}

RECT CentredPlace(SIZE size, const RECT& over, Fit fit) {
  const LONG x = over.left + (over.right - over.left - size.cx) / 2;
  const LONG y = over.top + (over.bottom - over.top - size.cy) / 2;
  const RECT centred{x, y, x + size.cx, y + size.cy};
  return FitInto(centred, WorkArea(&centred), fit);
}

void CentreOver(HWND hwnd, const RECT& over, Fit fit) {
  RECT own;
  GetWindowRect(hwnd, &own);
  const RECT placed = CentredPlace({own.right - own.left, own.bottom - own.top}, over, fit);
  SetWindowPos(hwnd, nullptr, placed.left, placed.top, placed.right - placed.left,
               placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace iz::win32
