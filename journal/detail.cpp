#include "journal/detail.h"

#include "store/error.h"

namespace iz::journal_detail {

namespace {
constexpr const char* kTcpUnreadable = "The modern TCP settings cannot be read: %s";
}  // namespace

std::string Say(const char* pattern, const std::string& arg, const char* tail) {
  return FormatMessage(pattern, arg).append(tail);
}

void Raise(const char* pattern, const std::string& arg, const char* tail) {
  throw Error(Say(pattern, arg, tail));
}

std::vector<TcpValue> ReadTcpNow(TcpSettingsAccess* access, const std::vector<TcpValue>& values) {
  std::vector<std::string> names;
  for (const TcpValue& v : values) names.push_back(v.name);
  std::vector<TcpValue> now;
  std::string error;
  if (access == nullptr || !access->Read(names, &now, &error)) Raise(kTcpUnreadable, error);
  return now;
}

std::string TcpName(const std::string& name) {
  const std::size_t prefix = MtuPrefixLength(name);
  if (prefix == std::char_traits<char>::length(kInterfaceMtu6Prefix))
    return "IPv6 mtu (" + name.substr(prefix) + ")";
  if (prefix != 0) return "mtu (" + name.substr(prefix) + ")";
  return name + " (netsh)";
}

}  // namespace iz::journal_detail
