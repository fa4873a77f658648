#pragma once
// The interface MTUs that netsh sets work at once, unlike the registry's
// values: the messages that close Optimize, Restore Windows Defaults and
// Undo say so.
#include <string>
#include <vector>

#include "modern/tcp_settings.h"

namespace iz {

// What a closing message adds about the interface MTUs netsh set, which
// work at once: "Interface MTU 1492 on Ethernet 2 and Wi-Fi: in force now,
// no restart needed.", a line for each MTU and IP version; empty when none
// was set.
std::string InForceNowText(const std::vector<TcpValue>& set);

}  // namespace iz
