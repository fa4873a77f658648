// The adapters lookup over registries built from the input: the keys and
// values each family keeps its adapters in (interface GUIDs, NT 4.0's
// network cards and services, the 9x family's MSTCP bindings, NetTrans
// instances and devices), with names and texts of the input's choosing.
// For each family:
//  - every adapter found is of that family, keyed below its adapter keys;
//  - the user's choice of adapters round-trips, whatever their ids hold,
//    also over a choice text of the input's own;
//  - the adapter step writes only values of the ticked adapters, each below
//    its family's adapter keys and one the backup's reader takes back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/adapters.h"
#include "commands/izelvora.h"
#include "fuzz/fuzz_check.h"
#include "model/os_kind.h"
#include "native/fake_platform.h"
#include "optimize/apply.h"
#include "profiles/choices.h"
#include "profiles/profile_table.h"
#include "shared/fakes.h"
#include "store/error.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"

namespace {

using fuzz::Check;
using fuzz::Lower;

bool StartsWithNoCase(const std::string& text, const std::string& head) {
  return Lower(text.substr(0, head.size())) == Lower(head);
}

// The input read front to back; past its end every read gives zero.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return at_ < size_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Short texts, often one of the names the lookup knows, so that the
  // fuzzer reaches the deeper steps without guessing them.
  std::string Text() {
    static const char* const kKnown[] = {"{11111111-2222-3333-4444-555555555555}",
                                         "{AAAAAAAA-2222-3333-4444-555555555555}",
                                         "0003",
                                         "0000",
                                         "0012",
                                         "E100B1",
                                         "a;b",
                                         "a\\;b",
                                         "x]y",
                                         "NetTrans\\0003",
                                         "PCI",
                                         "Network"};
    const std::uint8_t pick = Byte();
    if (pick < 2 * std::size(kKnown)) return kKnown[pick / 2];
    std::string text;
    for (std::uint8_t n = Byte() % 12; n > 0; --n) text += static_cast<char>(Byte() ?: 'x');
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void Build(Input& in, iz::MemoryRegistry& r) {
  using namespace iz;
  const std::string interfaces = std::string(map::kTcpipInterfacesKey) + "\\";
  const std::string cards = std::string(map::kNetworkCardsKey) + "\\";
  const std::string services = std::string(map::kServicesKey) + "\\";
  const std::string bindings = std::string(map::kMstcpBindingsKey) + "\\";
  const std::string trans = std::string(map::kNetTransKey) + "\\";
  // The first byte says how many steps build the registry; the rest of the
  // input picks the ticks and the profile.
  for (int ops = in.Byte() % 48; in.More() && ops > 0; --ops) {
    switch (in.Byte() % 11) {
      case 0:
        r.CreateKeyPath(kHKLM, interfaces + in.Text());
        break;
      case 1:
        r.SetString(kHKLM,
                    std::string(map::kNetworkConnectionsKey) + "\\" + in.Text() + "\\" +
                        map::kConnectionSubkey,
                    map::kConnectionName, in.Text());
        break;
      case 2:
        r.SetString(kHKLM, cards + std::to_string(in.Byte() % 4), map::kServiceName, in.Text());
        break;
      case 3:
        r.CreateKeyPath(kHKLM, services + in.Text() + "\\" + map::kServiceTcpipSubkey);
        break;
      case 4:
        r.SetString(kHKLM, cards + std::to_string(in.Byte() % 4),
                    in.Byte() % 2 ? map::kTitle : map::kDescription, in.Text());
        break;
      case 5:
        r.SetString(kHKLM, bindings + in.Text(), map::kDriver,
                    in.Byte() % 4 ? map::kNetTransDriverPrefix + in.Text() : in.Text());
        break;
      case 6:
        r.CreateKeyPath(kHKLM, trans + in.Text());
        break;
      case 7: {
        const std::string device =
            std::string(map::kEnumKey) + "\\" + in.Text() + "\\" + in.Text() + "\\" + in.Text();
        r.SetString(kHKLM, device, map::kDeviceDesc, in.Text());
        r.SetString(kHKLM, device + "\\" + map::kBindingsSubkey,
                    std::string(map::kMstcpBindingPrefix) + in.Text(), "");
        break;
      }
      case 8:
        r.SetDword(kHKLM, in.Text(), map::kMTU, in.Byte());
        break;
      case 9: {
        // A driver's entry below the Net class, which may mark an adapter
        // virtual: the choice must still read back as it was kept.
        const std::string entry =
            "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\000" +
            std::to_string(in.Byte() % 4);
        r.SetString(kHKLM, entry, "NetCfgInstanceId", in.Text());
        r.SetDword(kHKLM, entry, in.Byte() % 2 ? "Characteristics" : "*IfType", in.Byte());
        break;
      }
      default:
        r.SetString(kHKCU, std::string(map::kSoftwareAbsKey + 1) + "\\" + map::kSectionZelvora,
                    map::kUntickedAdapters, in.Text() + ";" + in.Text());
        break;
    }
  }
}

// Where a family keeps its adapters: each adapter's key starts so.
bool UnderAdapterKeys(iz::AdapterStack stack, const std::string& key) {
  using namespace iz;
  switch (stack) {
    case AdapterStack::Interface:
      return StartsWithNoCase(key, std::string(map::kTcpipInterfacesKey) + "\\");
    case AdapterStack::Service:
      return StartsWithNoCase(key, std::string(map::kServicesKey) + "\\") &&
             Lower(key).size() > std::string(map::kServiceTcpipSubkey).size() &&
             Lower(key).compare(key.size() - std::string(map::kServiceTcpipSubkey).size(),
                                std::string::npos, Lower(map::kServiceTcpipSubkey)) == 0;
    case AdapterStack::Binding:
      return StartsWithNoCase(key, std::string(map::kNetTransKey) + "\\");
  }
  return false;
}

void CheckFamily(iz::MemoryRegistry& registry, int kind, Input& in) {
  using namespace iz;
  std::vector<Adapter> adapters;
  try {
    adapters = FindAdapters(registry, kind, true);
  } catch (const Error&) {
    return;  // a list that cannot be read stops the command before it writes
  }
  for (const Adapter& a : adapters) {
    Check(a.stack == StackOf(kind));
    Check(UnderAdapterKeys(a.stack, a.key));
    Check(!a.id.empty());
  }

  // The choice: one tick per id, whatever it holds.
  // Ids are matched without regard to case, as the registry's names are:
  // two cards on one service are one adapter, ticked or not together.
  // Each pattern and its opposite, so that every adapter is left out once.
  const std::uint8_t ticks = in.Byte();
  for (const std::uint8_t pattern : {ticks, static_cast<std::uint8_t>(~ticks)}) {
    std::vector<Adapter> chosen = adapters;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      chosen[i].ticked = (pattern >> (i % 8)) & 1;
      for (std::size_t j = 0; j < i; ++j) {
        if (Lower(chosen[j].id) == Lower(chosen[i].id)) chosen[i].ticked = chosen[j].ticked;
      }
    }
    SaveAdapterChoice(registry, chosen);
    std::vector<Adapter> loaded = adapters;
    LoadAdapterChoice(registry, &loaded);
    for (std::size_t i = 0; i < chosen.size(); ++i) Check(loaded[i].ticked == chosen[i].ticked);
  }

  // Optimize's adapter step, with a profile's panel.
  test::FakePlatform platform;
  test::MemoryProfiles profiles;
  TIZelvora panel(registry, profiles, platform);
  panel.Click(panel.*kTypeBoxes[in.Byte() % kConnectionTypeCount]);
  panel.Click(panel.*kMethodBoxes[0]);
  const std::vector<Adapter> ticked = TickedAdapters(registry, kind);
  const std::vector<MemoryRegistry::Entry> before = registry.Dump();
  try {
    WriteAdapterValues(panel, ticked, registry);
  } catch (const Error&) {
  }
  for (const MemoryRegistry::Entry& e : registry.Dump()) {
    bool unchanged = false;
    for (const MemoryRegistry::Entry& b : before) unchanged = unchanged || b == e;
    if (unchanged) continue;
    const std::string key = !e.key.empty() && e.key[0] == '\\' ? e.key.substr(1) : e.key;
    Check(e.root == kHKLM);
    Check(UnderAdapterKeys(StackOf(kind), key));
    Check(IsAdapterValue(kHKLM, key, e.name));
    bool ofATickedOne = false;
    for (const Adapter& a : ticked) ofATickedOne = ofATickedOne || Lower(a.key) == Lower(key);
    Check(ofATickedOne);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  iz::MemoryRegistry registry;
  Build(in, registry);
  for (const int kind : {iz::kWinXP, iz::kWinNT4, iz::kWin98}) CheckFamily(registry, kind, in);
  return 0;
}
