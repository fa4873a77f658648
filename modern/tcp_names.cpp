#include "modern/tcp_settings.h"

namespace iz {

namespace {
constexpr const char* kNames[] = {"autotuninglevel", "congestionprovider", "ecncapability",
                                  "timestamps",      "rss",                "rsc",
                                  "initialrto"};
}  // namespace

bool IsTcpSettingName(const std::string& name) {
  for (const char* known : kNames)
    if (name == known) return true;
  const std::string prefix = kInterfaceMtuPrefix;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7f || c == '"') return false;
  }
  return true;
}

}  // namespace iz
