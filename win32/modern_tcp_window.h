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
// close box. apply runs on "&Apply" with the rows as chosen, leaves in them
// what is in force after, and returns the line shown above the list.
void ShowModernTcpWindow(HWND owner, std::vector<TcpSettingRow>* rows,
                         const std::function<std::string(std::vector<TcpSettingRow>*)>& apply);

}  // namespace iz::win32
