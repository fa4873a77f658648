#pragma once
// Vista and later keep an interface's MTU in force apart from the registry
// value the adapter step writes: Optimize also sets it through netsh, by the
// connection's name (the one in the Network Connections folder, which
// `netsh interface ipv4 show subinterfaces` lists). Restore Windows Defaults
// sets it back to kDefaultInterfaceMtu, IPv6's as IPv4's.
#include <string>
#include <vector>

#include "adapters/adapters.h"
#include "model/panel.h"
#include "modern/in_force_text.h"
#include "modern/tcp_settings.h"
#include "store/raw_registry.h"

namespace iz {

// Windows' own MTU for Ethernet and Wi-Fi, the adapters the program ticks.
// Other interfaces have their own (PPP and VPN ones often 1400 to 1492),
// which Restore Windows Defaults sets to this one too.
inline constexpr int kDefaultInterfaceMtu = 1500;

// The MTU given for each ticked adapter of Vista and later that has a
// connection name, as "mtu@" + that name.
std::vector<TcpValue> InterfaceMtusOf(RawRegistry& registry, int kind, int mtu,
                                      const std::vector<Adapter>& ticked);
// The panel's MTU for each ticked adapter of 2000 and later that has a
// connection name, as "mtu@" + that name, and beside it the same for IPv6
// as "mtu6@" + that name when the MTU is at least IPv6's minimum (1280).
std::vector<TcpValue> InterfaceMtus(RawRegistry& registry, int kind, const Panel& panel,
                                    const std::vector<Adapter>& ticked);

// What Optimize says when the panel's MTU is below IPv6's minimum on Vista
// and later, where IPv6's MTU is then left as it is; empty otherwise.
std::string Ipv6MtuNote(int kind, const Panel& panel);

// Reads the MTUs in force into *before and returns those of wanted that
// differ, to be set in one netsh run; an interface netsh does not list, or
// whose MTU in force is one the journal could not put back (a loopback's
// 4294967295), is passed over. Raises Error when netsh cannot be read.
std::vector<TcpValue> InterfaceMtuChanges(TcpSettingsAccess& access,
                                          const std::vector<TcpValue>& wanted,
                                          std::vector<TcpValue>* before);

}  // namespace iz
