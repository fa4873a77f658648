#pragma once
// "Find Largest MTU": a host field (the default gateway when the system
// names one), Start, the search's progress size by size, its result, and
// "&Use as Custom MTU". The echoes wait up to a second each, so the search
// runs on a thread of its own and the windows stay responsive.
#include <functional>
#include <string>

#include "win32/win.h"

namespace iz::win32 {

// Shows the window centred over owner, modal, until Close, Escape or the
// close box, each of which also stops a search at once. useMtu runs with the
// MTU found when "&Use as Custom MTU" is pressed; the window stays open and
// its status line, along its bottom, shows the text useMtu returns.
// After useMtu, changed(context) runs: the main window shows the model again.
void ShowFindMtuWindow(HWND owner, const std::function<std::string(int mtu)>& useMtu,
                       void (*changed)(void* context), void* context);

}  // namespace iz::win32
