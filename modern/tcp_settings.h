#pragma once
// The TCP settings of Windows Vista and later, which netsh sets: their
// names and values are netsh's own. Interface MTUs ride along under the
// name "mtu@" + the connection's name, as `interface ipv4 show
// subinterfaces` gives it.
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

// Whether a record of the journal may name this setting: one of the table's
// names, or an interface MTU whose connection name holds no control
// character and no quote.
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
