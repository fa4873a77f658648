#pragma once
// The TCP settings of Windows Vista and later, which netsh sets: their
// names and values are netsh's own. Interface MTUs ride along under the
// name "mtu@" + the connection's name, as `interface ipv4 show
// subinterfaces` gives it.
#include <cstddef>
#include <string>
#include <vector>

namespace iz {

// A setting by netsh's name and a value in netsh's words: "autotuninglevel",
// "normal".
struct TcpValue {
  std::string name;
  std::string value;
  bool operator==(const TcpValue& o) const { return name == o.name && value == o.value; }
};

inline constexpr const char* kInterfaceMtuPrefix = "mtu@";
// The same interface's IPv6 MTU, which IPv6 keeps apart from IPv4's: a
// PPPoE link set for IPv4 alone still sends IPv6 at 1500.
inline constexpr const char* kInterfaceMtu6Prefix = "mtu6@";
// IPv6 takes no MTU below this (RFC 8200).
inline constexpr unsigned kIpv6MinimumMtu = 1280;

// The length of the interface-MTU prefix a name begins with ("mtu@" or
// "mtu6@"); 0 for a name that has none.
std::size_t MtuPrefixLength(const std::string& name);

// Whether a record of the journal may name this setting: one of the table's
// names, or an interface MTU (IPv4's or IPv6's) whose connection name holds
// no control character and no quote.
bool IsTcpSettingName(const std::string& name);

// Reading and setting those values, the journal's way to them. The real one
// runs netsh (modern/netsh.h); tests give their own.
class TcpSettingsAccess {
 public:
  virtual ~TcpSettingsAccess() = default;
  // The values of the named settings now, in the order asked; a setting
  // this Windows does not have is left out. False, with *error saying why,
  // when they cannot be read.
  virtual bool Read(const std::vector<std::string>& names, std::vector<TcpValue>* values,
                    std::string* error) = 0;
  // Sets them all or none: when one is refused, those already set are put
  // back, and *error names the setting and the system's message.
  virtual bool Write(const std::vector<TcpValue>& values, std::string* error) = 0;
};

}  // namespace iz
