#pragma once
// The TCP/IP adapters of the running Windows, found in the registry alone,
// and the user's choice of the ones Optimize tunes. The stack reads an MTU
// per adapter, so a value written anywhere else never reaches it:
//  - 2000 and later: Tcpip\Parameters\Interfaces\{GUID}, "MTU" and
//    "TcpWindowSize" as DWORDs;
//  - NT 4.0: Services\<adapter's service>\Parameters\Tcpip, "MTU";
//  - the 9x family: the NetTrans instance of each TCP/IP binding, "MaxMTU",
//    "MaxMSS" and "IPMTU" as strings.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/raw_registry.h"

namespace iz {

enum class AdapterStack : std::uint8_t { Interface, Service, Binding };

// Where a kind of Windows keeps its adapters' values.
AdapterStack StackOf(int kind);

struct Adapter {
  std::string id;    // "{GUID}", the service name, or the NetTrans instance ("0003")
  std::string name;  // as the system names it to the user; the id where it has none
  std::string key;   // below HKEY_LOCAL_MACHINE, no leading backslash
  AdapterStack stack = AdapterStack::Interface;
  bool ticked = true;
  // Its driver's entry marks it virtual or hidden (a VPN, a tunnel, the
  // loopback): left unticked unless the user ticked it.
  bool virtualAdapter = false;
};

// What one adapter value holds.
enum class AdapterNumber : std::uint8_t { Mtu, SegmentSize, ReceiveWindow };
struct AdapterValue {
  const char* name;
  bool text;  // REG_SZ; otherwise REG_DWORD
  AdapterNumber number;
};
// The values Optimize writes to an adapter of a stack, in its order; the
// first is the MTU.
struct AdapterValueList {
  const AdapterValue* first;
  std::size_t count;
  const AdapterValue* begin() const { return first; }
  const AdapterValue* end() const { return first + count; }
  const AdapterValue& operator[](std::size_t i) const { return first[i]; }
};
AdapterValueList AdapterValues(AdapterStack stack);

// The 9x applier writes the NetTrans instances 0000 to 0002 itself; the
// adapter step writes every other binding.
bool WrittenByAdapterStep(const Adapter& adapter);

// Every adapter of the kind, in the registry's order, each ticked. Names are
// looked up only when asked for: on the 9x family that means a walk through
// the device tree. Keys that cannot be read count as holding no adapter.
std::vector<Adapter> FindAdapters(RawRegistry& registry, int kind, bool withNames);
// Ticks every adapter but the virtual ones, then applies the user's choice
// (HKEY_CURRENT_USER\SOFTWARE\Internet Zelvora, "UntickedAdapters", and
// "TickedAdapters" for the virtual ones ticked).
void LoadAdapterChoice(RawRegistry& registry, std::vector<Adapter>* adapters);
// Keeps the unticked ones of these adapters and the ticked virtual ones, and
// only those: an adapter not among them is forgotten. Raises the store's
// errors.
void SaveAdapterChoice(RawRegistry& registry, const std::vector<Adapter>& adapters);
// The adapters the commands write to: found, the choice applied, the
// unticked ones left out.
std::vector<Adapter> TickedAdapters(RawRegistry& registry, int kind);
// The ticked ones of adapters whose choice is applied.
std::vector<Adapter> OnlyTicked(std::vector<Adapter> adapters);

// The adapter whose key is key (below HKEY_LOCAL_MACHINE), as the user knows
// it: its connection name, or nullptr when none of adapters is there or it
// has no name but its id.
const Adapter* NamedAdapterAt(const std::vector<Adapter>& adapters, const std::string& key);

// The MTU stored for an adapter as text (a DWORD in decimal, a string as
// stored), nullopt when it has none.
std::optional<std::string> StoredMtu(RawRegistry& registry, const Adapter& adapter);

// Whether a value is one the adapter step may touch (not one of the 9x
// applier's instances): a saved file that names one is accepted by the
// backup's reader, which refuses anything else mapped or not.
bool IsAdapterValue(HKey root, const std::string& key, const std::string& name);

}  // namespace iz
