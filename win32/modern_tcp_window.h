#pragma once
// "Modern TCP Settings": the TCP settings of Windows Vista and later in a
// list (netsh's name, the value in force, this version's default, the new
// value, what it does), a field for the new value of the selected row, and
// "Windows &Defaults", "&Apply" and "Close". Resizable, as the list's texts
// are long: the list scrolls where the window is narrower than its columns.
#include <functional>
#include <string>
#include <vector>

#include "model/platform.h"
#include "win32/win.h"

namespace iz::win32 {

// Shows the window centred over owner, modal, until Close, Escape or the
// close box (Platform::ShowModernTcp tells what read and apply do). Both run
// on a worker thread: netsh may take up to its time limit, and the window
// stays movable and redrawn meanwhile, its controls off.
void ShowModernTcpWindow(HWND owner, std::vector<TcpSettingRow>* rows,
                         const Platform::TcpRowsWork& read, const Platform::TcpRowsWork& apply);

}  // namespace iz::win32
