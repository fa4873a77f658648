#pragma once
// ICMP echoes with don't-fragment set, for the largest-packet search, and
// the default gateway to suggest as its host. Everything comes from DLLs
// looked up at run time: the ICMP calls from iphlpapi.dll (Windows 98 and
// NT 4.0 SP4 on) or icmp.dll (95 to 2000), names from wsock32.dll, and the
// routing table from iphlpapi.dll; the program imports none of them.
#include <memory>
#include <string>

#include "mtu/mtu_search.h"

namespace iz::win32 {

// Why this Windows cannot send the echoes, for a status line or a tooltip;
// empty when it can. The first call looks the DLLs up, and must come on the
// program's main thread.
std::string EchoUnavailable();

// A probe to a host given by name or dotted address: one-second answers.
// Raises Error with mtu::UnresolvedText when the name gives no address, and
// with EchoUnavailable's reason when pings cannot be sent.
std::unique_ptr<mtu::EchoProbe> OpenEchoProbe(const std::string& host);

// The dotted address of the default route's gateway; empty when the system
// has no routing table to ask or no default route.
std::string DefaultGateway();

}  // namespace iz::win32
