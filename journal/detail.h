#pragma once
// What the journal's files share beyond the record's names and text.
// Private to journal/.
#include <string>
#include <vector>

#include "modern/tcp_settings.h"

namespace iz::journal_detail {

// The messages built out of line: each caller passes plain pointers rather
// than building and destroying a pattern's string of its own.
std::string Say(const char* pattern, const std::string& arg, const char* tail = "");
[[noreturn]] void Raise(const char* pattern, const std::string& arg, const char* tail = "");

// The modern TCP settings that values name, as they stand now; raises when
// they cannot be read (access null: not here).
std::vector<TcpValue> ReadTcpNow(TcpSettingsAccess* access, const std::vector<TcpValue>& values);
// A modern TCP setting as Undo names it: "autotuninglevel (netsh)", an
// interface's MTU "mtu (Local Area Connection)".
std::string TcpName(const std::string& name);

}  // namespace iz::journal_detail
