#include "modern/in_force_text.h"

namespace iz {

std::string InForceNowText(const std::vector<TcpValue>& set) {
  // Grouped by IP version and number, in the order first set.
  struct Group {
    bool ipv6;
    std::string mtu;
    std::vector<std::string> connections;
  };
  std::vector<Group> groups;
  for (const TcpValue& v : set) {
    const std::size_t prefix = MtuPrefixLength(v.name);
    if (prefix == 0) continue;
    const bool ipv6 = prefix == std::char_traits<char>::length(kInterfaceMtu6Prefix);
    Group* group = nullptr;
    for (Group& g : groups)
      if (g.ipv6 == ipv6 && g.mtu == v.value) group = &g;
    if (group == nullptr) group = &groups.emplace_back(Group{ipv6, v.value, {}});
    group->connections.push_back(v.name.substr(prefix));
  }
  std::string text;
  for (const Group& g : groups) {
    if (!text.empty()) text += '\n';
    text += g.ipv6 ? "IPv6 MTU " : "Interface MTU ";
    text += g.mtu + " on ";
    for (std::size_t i = 0; i < g.connections.size(); ++i) {
      if (i > 0) text += i + 1 == g.connections.size() ? " and " : ", ";
      text += g.connections[i];
    }
    text += ": in force now, no restart needed.";
  }
  return text;
}

}  // namespace iz
