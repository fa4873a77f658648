#include "optimize/apply_9x.h"

#include <cstdint>
#include <string>
#include <utility>

#include "model/os_kind.h"
#include "optimize/apply_common.h"
#include "profiles/number.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

using apply::IfChecked;
using apply::Low32;
using apply::SegmentSizeText;
using map::FixedText;
using map::Op;

// This family writes the NDI ranges as text.
struct NdiRange {
  const char* section;
  CheckBoxCtl Panel::*box;  // written only when ticked
  const char* min;
  const char* max;
};
constexpr NdiRange kNdiRanges[] = {
    {map::kSectionMaxConnect, &Panel::maxConnect,
     FixedText(map::kNdiMaxConnectKey, map::kMin, Op::Apply9x),
     FixedText(map::kNdiMaxConnectKey, map::kMax, Op::Apply9x)},
    {map::kSectionMaxSockets, &Panel::maxSocket,
     FixedText(map::kNdiMaxSocketsKey, map::kMin, Op::Apply9x),
     FixedText(map::kNdiMaxSocketsKey, map::kMax, Op::Apply9x)},
};

// The MTU family: the MTU as typed, and the segment size derived from it.
struct MtuValue {
  const char* name;
  bool segmentSize;
};
constexpr MtuValue kMaxMtu{map::kMaxMTU, false};
constexpr MtuValue kMaxMss{map::kMaxMSS, true};
constexpr MtuValue kIpMtu{map::kIPMTU, false};

// Each class key is opened, three values written into one instance subkey in
// the order given, and the key closed again. The adapter class takes IPMTU
// before MaxMSS.
struct MtuGroup {
  const char* classKey;
  const char* instance;
  MtuValue values[3];
};
constexpr MtuGroup kMtuGroups[] = {
    {map::kNetTransAbsKey, map::kInstance0000, {kMaxMtu, kMaxMss, kIpMtu}},
    {map::kNetTransAbsKey, map::kInstance0001, {kMaxMtu, kMaxMss, kIpMtu}},
    {map::kNetTransAbsKey, map::kInstance0002, {kMaxMtu, kMaxMss, kIpMtu}},
    {map::kNetClassAbsKey, map::kInstance0000, {kMaxMtu, kIpMtu, kMaxMss}},
    {map::kNetClassAbsKey, map::kInstance0001, {kMaxMtu, kIpMtu, kMaxMss}},
};

// The panel's whole numbers, read all at once in the order the steps use
// them, so that a field that does not parse stops the run before its first
// write. The TTL, the MTU texts and the cache size are written as typed.
struct Numbers {
  std::int64_t rwin, keepAlive, mtu, perServer, per10Server;
};
Numbers ReadNumbers(const Panel& panel) {
  Numbers n{};
  n.rwin = ReadWholeNumber(panel.customRwin.text);
  n.keepAlive = ReadWholeNumber(panel.customKeepAlive.text);
  n.mtu = ReadWholeNumber(panel.customMtu.text);
  n.perServer = ReadWholeNumber(panel.maxConnections.text);
  n.per10Server = ReadWholeNumber(panel.maxConnections10.text);
  return n;
}

}  // namespace

void Apply9xSettings(const Panel& p, RawRegistry& registry, ProfileStrings& profiles, int kind,
                     const BeforeWriting& beforeWriting) {
  const Numbers n = ReadNumbers(p);
  beforeWriting();
  auto hklm = [&registry](const char* key, const char* name, std::uint32_t value) {
    WriteDwordAt(registry, kHKLM, key, name, value);
  };

  SettingsSession session(registry);
  session.SetRoot(kHKLM);
  // Creates the MSTCP key on the way; the DWORDs below need both to exist.
  session.EnsureKey(map::kMstcpParametersKey);

  const std::pair<const char*, std::uint32_t> mstcp[] = {
      {map::kPMTUDiscovery, IfChecked(p.autoDiscovery, 1)},
      {map::kPMTUBlackHoleDetect, IfChecked(p.blackHoleDetect, 1)},
      {map::kTcp1323Opts, IfChecked(p.largeWindows, 1)},
      {map::kSackOpts, IfChecked(p.sack, 1)},
      {map::kDefaultRcvWindow, Low32(n.rwin)},
      {map::kSessionKeepAlive, Low32(n.keepAlive)},  // seconds, as entered
      {map::kBSDUrgent, IfChecked(p.bsdUrgent, 1)},
  };
  // 98, 98 SE and Millennium read the MSTCP values as strings (Microsoft KB
  // 158474, "Windows TCP/IP Registry Entries"); 95 takes DWORDs.
  const bool strings = IsWin98Family(kind);
  session.OpenPathForWriting(map::kVxDAbsKey);
  session.PutSectionText(map::kSectionMstcp, map::kDefaultTTL, p.customTtl.text);
  if (strings) {
    for (const auto& [name, value] : mstcp)
      session.PutSectionText(map::kSectionMstcp, name, std::to_string(value));
  }
  session.ClosePath();
  if (!strings) {
    for (const auto& [name, value] : mstcp) hklm(map::kMstcpKey, name, value);
  }
  hklm(map::kMstcpParametersKey, map::kMaxDupAcks, IfChecked(p.maxDupAcks, 2));
  hklm(map::kMstcpParametersKey, map::kTcp1323Opts, IfChecked(p.largeWindows, 1));
  hklm(map::kMstcpParametersKey, map::kSackOpts, IfChecked(p.sack, 1));

  session.OpenPathForWriting(map::kNdiParamsAbsKey);
  session.PutSectionText(map::kSectionCacheSize, map::kDefaultValue, p.customCache.text);
  for (const NdiRange& range : kNdiRanges) {
    if (!(p.*range.box).checked) continue;
    session.PutSectionText(range.section, map::kMin, range.min);
    session.PutSectionText(range.section, map::kMax, range.max);
  }
  session.ClosePath();

  // One segment size for all five instances.
  const std::string mss = SegmentSizeText(n.mtu);
  for (const MtuGroup& group : kMtuGroups) {
    session.OpenPathForWriting(group.classKey);
    for (const MtuValue& v : group.values) {
      session.PutSectionText(group.instance, v.name, v.segmentSize ? mss : p.customMtu.text);
    }
    session.ClosePath();
  }

  // SLOWNET runs the other way round: a ticked box writes 0x00.
  PutByte(session, map::kNetClass0000AbsKey, map::kSlowNet, !p.slowNet.checked);
  PutByte(session, map::kVCacheKey, map::kStart, p.vcache.checked);
  PutByte(session, map::kComBuffKey, map::kStart, p.comBuffer.checked);

  // Windows 95 knows neither global window value; an unknown system gets
  // both, like 98 and later. 98 and 98 SE read only the misspelt name
  // (Microsoft KB 239731); both stay DWORDs, as that article has them.
  if (kind != kWin95) {
    hklm(map::kMstcpParametersKey, map::kGlobalMaxTcpWindoSize, Low32(n.rwin));
    hklm(map::kMstcpParametersKey, map::kGlobalMaxTcpWindowSize, Low32(n.rwin));
  }

  apply::WriteConnectionLimits(registry, n.perServer, n.per10Server);

  apply::WriteOptimizedPorts(p, profiles);
}

}  // namespace iz
