#include "adapters/adapters.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <utility>

#include "model/os_kind.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  return map::SameName(a.c_str(), b.c_str());
}

bool StartsWithNoCase(const std::string& text, const std::string& head) {
  return text.size() >= head.size() && SameText(text.substr(0, head.size()), head);
}

// "{4D36E972-E325-11CE-BFC1-08002BE10318}": 8-4-4-4-12 hex digits in braces.
bool IsGuidName(const std::string& s) {
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

bool IsInstanceName(const std::string& s) {
  return s.size() == 4 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One key opened for reading, closed when it goes. A key that does not
// exist reads as empty: it has no subkeys and no values. A list of adapters
// that exists but cannot be read raises "Failed to get data for '%s'": the
// commands would otherwise pass over adapters unseen.
class ReadKey {
 public:
  ReadKey(RawRegistry& registry, HKey parent, const std::string& path, bool list = false)
      : registry_(registry), path_(path), list_(list) {
    for (std::uint32_t rights : {kKeyRead, kKeyQueryEnum}) {
      status_ = registry_.OpenKey(parent, path, rights, &key_);
      if (status_ == kRegOk || status_ == kRegNotFound) break;
    }
    if (list_ && status_ != kRegOk && status_ != kRegNotFound) Fail();
  }
  ~ReadKey() {
    if (key_) registry_.CloseKey(key_);
  }
  ReadKey(const ReadKey&) = delete;
  ReadKey& operator=(const ReadKey&) = delete;

  explicit operator bool() const { return key_ != 0; }
  HKey Get() const { return key_; }

  std::vector<std::string> Subkeys() const {
    std::vector<std::string> names;
    std::string name;
    long status = kRegNoMoreItems;
    for (std::uint32_t i = 0; key_ && (status = registry_.EnumKey(key_, i, &name)) == kRegOk; ++i)
      names.push_back(name);
    if (list_ && status != kRegNoMoreItems) Fail();
    return names;
  }
  bool Has(const std::string& name) const {
    return key_ && registry_.QueryValue(key_, name, nullptr, nullptr, nullptr) == kRegOk;
  }
  // A string up to its first NUL, a DWORD in decimal; empty for anything else.
  std::string Text(const std::string& name) const {
    std::uint32_t type = kRegNone;
    char data[256] = {};
    std::uint32_t size = sizeof data - 1;
    if (!key_ || registry_.QueryValue(key_, name, &type, data, &size) != kRegOk) return "";
    if (type == kRegDword && size == 4) {
      return std::to_string(static_cast<std::uint8_t>(data[0]) |
                            static_cast<std::uint8_t>(data[1]) << 8 |
                            static_cast<std::uint8_t>(data[2]) << 16 |
                            static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[3])) << 24);
    }
    return type == kRegSz || type == kRegExpandSz ? std::string(data) : std::string();
  }

 private:
  [[noreturn]] void Fail() const {
    throw Error(FormatMessage(kFailedToGetData, "HKLM\\" + path_));
  }

  RawRegistry& registry_;
  HKey key_ = 0;
  long status_ = kRegNotFound;
  std::string path_;
  bool list_;
};

std::string NonEmptyOr(const std::string& text, const std::string& otherwise) {
  return text.empty() ? otherwise : text;
}

// The driver's entry of each network adapter, below the Net device class on
// 2000 and later, names its connection's GUID ("NetCfgInstanceId") and says
// what its INF declared:
//  - "Characteristics": NCF_VIRTUAL 0x1, "a virtual adapter ... not on a
//    physical bus", and NCF_HIDDEN 0x8, "should not be shown in any user
//    interface" (Microsoft Learn, "DDInstall Section in a Network INF File");
//  - "*IfType": IF_TYPE_SOFTWARE_LOOPBACK 24, IF_TYPE_PROP_VIRTUAL 53 and
//    IF_TYPE_TUNNEL 131 (Microsoft Learn, "NDIS Interface Types").
// An entry that says none of these, or is missing, leaves the adapter a card.
constexpr const char* kNetAdapterClassKey =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr std::uint32_t kNcfVirtual = 0x1, kNcfHidden = 0x8;
constexpr std::uint32_t kVirtualIfTypes[] = {24, 53, 131};

std::uint32_t Number(const std::string& decimal) {
  std::uint32_t n = 0;
  for (char c : decimal) {
    if (c < '0' || c > '9') break;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return n;
}

void MarkVirtual(RawRegistry& registry, std::vector<Adapter>* adapters) {
  if (adapters->empty()) return;
  const ReadKey adapterClass(registry, kHKLM, kNetAdapterClassKey);
  for (const std::string& entry : adapterClass.Subkeys()) {
    if (!IsInstanceName(entry)) continue;
    const ReadKey driver(registry, adapterClass.Get(), entry);
    const std::string guid = driver.Text("NetCfgInstanceId");
    const std::uint32_t flags = Number(driver.Text("Characteristics"));
    const std::string ifType = driver.Text("*IfType");
    const bool virtualEntry =
        (flags & (kNcfVirtual | kNcfHidden)) != 0 ||
        std::any_of(std::begin(kVirtualIfTypes), std::end(kVirtualIfTypes),
                    [&](std::uint32_t t) { return !ifType.empty() && Number(ifType) == t; });
    for (Adapter& a : *adapters) {
      if (virtualEntry && SameText(a.id, guid)) a.virtualAdapter = true;
    }
  }
}

// 2000 and later: every GUID below Interfaces, named in the connections key.
void FindInterfaces(RawRegistry& registry, bool withNames, std::vector<Adapter>* out) {
  const ReadKey interfaces(registry, kHKLM, map::kTcpipInterfacesKey, true);
  for (const std::string& guid : interfaces.Subkeys()) {
    if (!IsGuidName(guid)) continue;
    Adapter a{guid, guid, std::string(map::kTcpipInterfacesKey) + "\\" + guid,
              AdapterStack::Interface};
    if (withNames) {
      const ReadKey connection(registry, kHKLM,
                               std::string(map::kNetworkConnectionsKey) + "\\" + guid + "\\" +
                                   map::kConnectionSubkey);
      a.name = NonEmptyOr(connection.Text(map::kConnectionName), guid);
    }
    out->push_back(std::move(a));
  }
  MarkVirtual(registry, out);
}

// NT 4.0: each network card whose service has TCP/IP parameters.
void FindServices(RawRegistry& registry, std::vector<Adapter>* out) {
  const ReadKey cards(registry, kHKLM, map::kNetworkCardsKey, true);
  for (const std::string& number : cards.Subkeys()) {
    const ReadKey card(registry, cards.Get(), number);
    const std::string service = NonEmptyOr(card.Text(map::kServiceName), "");
    if (service.empty() || service.find('\\') != std::string::npos) continue;
    const std::string key =
        std::string(map::kServicesKey) + "\\" + service + "\\" + map::kServiceTcpipSubkey;
    if (!ReadKey(registry, kHKLM, key)) continue;
    const std::string name =
        NonEmptyOr(card.Text(map::kTitle), NonEmptyOr(card.Text(map::kDescription), service));
    out->push_back({service, name, key, AdapterStack::Service});
  }
}

// The 9x family: the devices whose Bindings name a TCP/IP binding
// ("MSTCP\0003") lie two levels below a bus of Enum; their description is
// the adapter's name.
void NameBindings(RawRegistry& registry, std::vector<Adapter>* adapters,
                  const std::vector<std::string>& bindings) {
  const ReadKey enumKey(registry, kHKLM, map::kEnumKey);
  for (const std::string& bus : enumKey.Subkeys()) {
    if (SameText(bus, map::kNetworkBus)) continue;
    const ReadKey busKey(registry, enumKey.Get(), bus);
    for (const std::string& device : busKey.Subkeys()) {
      const ReadKey deviceKey(registry, busKey.Get(), device);
      for (const std::string& instance : deviceKey.Subkeys()) {
        const ReadKey bound(registry, deviceKey.Get(),
                            instance + "\\" + map::kBindingsSubkey);
        if (!bound) continue;
        for (std::size_t i = 0; i < bindings.size(); ++i) {
          if (!bound.Has(map::kMstcpBindingPrefix + bindings[i])) continue;
          const ReadKey described(registry, deviceKey.Get(), instance);
          (*adapters)[i].name = NonEmptyOr(described.Text(map::kDeviceDesc), (*adapters)[i].name);
        }
      }
    }
  }
}

// The 9x family: each binding of MSTCP with its NetTrans instance.
void FindBindings(RawRegistry& registry, bool withNames, std::vector<Adapter>* out) {
  const ReadKey mstcp(registry, kHKLM, map::kMstcpBindingsKey, true);
  std::vector<std::string> bindings;
  std::vector<Adapter> found;
  for (const std::string& binding : mstcp.Subkeys()) {
    const std::string driver = NonEmptyOr(ReadKey(registry, mstcp.Get(), binding).Text(map::kDriver), "");
    const std::string prefix = map::kNetTransDriverPrefix;
    if (!StartsWithNoCase(driver, prefix)) continue;
    const std::string instance = driver.substr(prefix.size());
    if (!IsInstanceName(instance)) continue;
    const std::string key = std::string(map::kNetTransKey) + "\\" + instance;
    if (!ReadKey(registry, kHKLM, key)) continue;
    found.push_back({instance, driver, key, AdapterStack::Binding});
    bindings.push_back(binding);
  }
  if (withNames) NameBindings(registry, &found, bindings);
  for (Adapter& a : found) out->push_back(std::move(a));
}

// The ids are kept as one text, joined by the separator. An NT 4.0 service
// name may hold the separator itself, so within an id it, and the escape,
// follow an escape. No id the lookup returns holds a backslash (a service
// name with one is passed over), so a text saved before ids were escaped
// reads as it always did.
constexpr char kIdEscape = '\\';

std::string JoinIds(const std::vector<std::string>& ids) {
  std::string text;
  for (const std::string& id : ids) {
    if (!text.empty()) text += map::kAdapterIdSeparator;
    for (const char c : id) {
      if (c == map::kAdapterIdSeparator || c == kIdEscape) text += kIdEscape;
      text += c;
    }
  }
  return text;
}

std::vector<std::string> SplitIds(const std::string& text) {
  std::vector<std::string> ids(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == map::kAdapterIdSeparator) {
      if (!ids.back().empty()) ids.emplace_back();
    } else {
      if (text[i] == kIdEscape && i + 1 < text.size()) ++i;
      ids.back() += text[i];
    }
  }
  if (ids.back().empty()) ids.pop_back();
  return ids;
}

std::string ChoiceKey() {
  return std::string(map::kSoftwareAbsKey) + "\\" + map::kSectionZelvora;
}

}  // namespace

AdapterStack StackOf(int kind) {
  if (!IsNTFamily(kind)) return AdapterStack::Binding;
  return kind == kWinNT4 ? AdapterStack::Service : AdapterStack::Interface;
}

AdapterValueList AdapterValues(AdapterStack stack) {
  // The Interface stack's two, the Service stack's first of them, and the
  // Binding stack's three in the order instance 0000 gets them.
  static constexpr AdapterValue kValues[] = {
      {map::kMTU, false, AdapterNumber::Mtu},
      {map::kTcpWindowSize, false, AdapterNumber::ReceiveWindow},
      {map::kMaxMTU, true, AdapterNumber::Mtu},
      {map::kMaxMSS, true, AdapterNumber::SegmentSize},
      {map::kIPMTU, true, AdapterNumber::Mtu}};
  switch (stack) {
    case AdapterStack::Interface:
      return {kValues, 2};
    case AdapterStack::Service:
      return {kValues, 1};
    default:
      return {kValues + 2, 3};
  }
}

bool WrittenByAdapterStep(const Adapter& adapter) {
  if (adapter.stack != AdapterStack::Binding) return true;
  for (const char* fixed : {map::kInstance0000, map::kInstance0001, map::kInstance0002}) {
    if (adapter.id == fixed) return false;
  }
  return true;
}

std::vector<Adapter> FindAdapters(RawRegistry& registry, int kind, bool withNames) {
  std::vector<Adapter> adapters;
  switch (StackOf(kind)) {
    case AdapterStack::Interface:
      FindInterfaces(registry, withNames, &adapters);
      break;
    case AdapterStack::Service:
      FindServices(registry, &adapters);
      break;
    case AdapterStack::Binding:
      FindBindings(registry, withNames, &adapters);
      break;
  }
  return adapters;
}

// Read rights are enough: reading the choice never asks to write.
void LoadAdapterChoice(RawRegistry& registry, std::vector<Adapter>* adapters) {
  SettingsSession session(registry);
  session.SetRoot(kHKCU);
  std::vector<std::string> unticked, ticked;
  if (session.OpenPathReadOnly(map::kSoftwareAbsKey)) {
    unticked = SplitIds(session.GetSectionText(map::kSectionZelvora, map::kUntickedAdapters, ""));
    ticked = SplitIds(session.GetSectionText(map::kSectionZelvora, map::kTickedAdapters, ""));
  }
  for (Adapter& a : *adapters) {
    a.ticked = !a.virtualAdapter;
    for (const std::string& id : ticked) {
      if (SameText(id, a.id)) a.ticked = true;
    }
    for (const std::string& id : unticked) {
      if (SameText(id, a.id)) a.ticked = false;
    }
  }
}

void SaveAdapterChoice(RawRegistry& registry, const std::vector<Adapter>& adapters) {
  std::vector<std::string> uncheckedIds, checkedVirtualIds;
  for (const Adapter& a : adapters) {
    // A virtual one is unticked unless named: only the others are kept so.
    if (!a.ticked && !a.virtualAdapter) uncheckedIds.push_back(a.id);
    if (a.ticked && a.virtualAdapter) checkedVirtualIds.push_back(a.id);
  }
  SettingsSession session(registry);
  session.SetRoot(kHKCU);
  for (const auto& [name, ids] : {std::make_pair(map::kUntickedAdapters, &uncheckedIds),
                                  std::make_pair(map::kTickedAdapters, &checkedVirtualIds)}) {
    const std::string joined = JoinIds(*ids);
    if (joined.empty()) {
      session.RemoveSectionValue(ChoiceKey(), name);
    } else {
      session.PutSectionText(ChoiceKey(), name, joined);
    }
  }
}

std::vector<Adapter> TickedAdapters(RawRegistry& registry, int kind) {
  std::vector<Adapter> adapters = FindAdapters(registry, kind, false);
  LoadAdapterChoice(registry, &adapters);
  return OnlyTicked(std::move(adapters));
}

const Adapter* NamedAdapterAt(const std::vector<Adapter>& adapters, const std::string& key) {
  for (const Adapter& a : adapters) {
    if (map::SameKeyPath(a.key.c_str(), key.c_str())) return a.name != a.id ? &a : nullptr;
  }
  return nullptr;
}

std::vector<Adapter> OnlyTicked(std::vector<Adapter> adapters) {
  std::vector<Adapter> ticked;
  for (Adapter& a : adapters) {
    if (a.ticked) ticked.push_back(std::move(a));
  }
  return ticked;
}

std::optional<std::string> StoredMtu(RawRegistry& registry, const Adapter& adapter) {
  std::string text = ReadKey(registry, kHKLM, adapter.key).Text(AdapterValues(adapter.stack)[0].name);
  if (text.empty()) return std::nullopt;
  return text;
}

bool IsAdapterValue(HKey root, const std::string& key, const std::string& name) {
  if (root != kHKLM) return false;
  const std::string path = !key.empty() && key[0] == '\\' ? key.substr(1) : key;
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return false;
  const std::string parent = path.substr(0, slash);
  const std::string last = path.substr(slash + 1);
  auto named = [&name](AdapterStack stack) {
    for (const AdapterValue& v : AdapterValues(stack)) {
      if (SameText(name, v.name)) return true;
    }
    return false;
  };
  if (SameText(parent, map::kTcpipInterfacesKey)) {
    return IsGuidName(last) && named(AdapterStack::Interface);
  }
  if (SameText(parent, map::kNetTransKey)) {
    // Not 0000 to 0002, the applier's.
    return IsInstanceName(last) && last > map::kInstance0002 && named(AdapterStack::Binding);
  }
  // Services\<service>\Parameters\Tcpip
  const std::string services = std::string(map::kServicesKey) + "\\";
  const std::string tail = std::string("\\") + map::kServiceTcpipSubkey;
  if (!StartsWithNoCase(path, services) || path.size() <= services.size() + tail.size() ||
      !SameText(path.substr(path.size() - tail.size()), tail)) {
    return false;
  }
  const std::string service =
      path.substr(services.size(), path.size() - services.size() - tail.size());
  return service.find('\\') == std::string::npos && named(AdapterStack::Service);
}

}  // namespace iz
