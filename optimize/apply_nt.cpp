#include "optimize/apply_nt.h"

#include <cstdint>

#include "optimize/apply_common.h"
#include "profiles/number.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

using apply::IfChecked;
using apply::Low32;
using map::FixedNumber;
using map::Op;

// Every key a later DWORD lands in: WriteDwordAt never creates one. Created
// from the root, in this order, before anything is written.
constexpr const char* kEnsuredKeys[] = {
    map::kTcpipServiceKey,    map::kTcpipParametersUpperKey,
    map::kTcpipInterfacesKey, map::kTcpipInterfaceKey,
    map::kNdiMaxSocketsKey,   map::kNdiMaxConnectKey,
    map::kComBuffKey,         map::kVCacheKey,
    map::kNetClass0000Key,    map::kNetbtParametersKey,
};

// This family writes the NDI ranges as DWORDs.
constexpr std::uint32_t kMaxConnectMin =
    FixedNumber(map::kNdiMaxConnectKey, map::kMin, Op::ApplyNT);
constexpr std::uint32_t kMaxConnectMax =
    FixedNumber(map::kNdiMaxConnectKey, map::kMax, Op::ApplyNT);
constexpr std::uint32_t kMaxSocketsMin =
    FixedNumber(map::kNdiMaxSocketsKey, map::kMin, Op::ApplyNT);
constexpr std::uint32_t kMaxSocketsMax =
    FixedNumber(map::kNdiMaxSocketsKey, map::kMax, Op::ApplyNT);

// NetBT keeps the keep-alive in milliseconds; the panel shows seconds.
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

// The panel's whole numbers, read all at once in the order the steps use
// them, so that a field that does not parse stops the run before its first
// write instead of half-way through.
struct Numbers {
  std::int64_t ttl, rwin, keepAlive, mtu, perServer, per10Server;
};
Numbers ReadNumbers(const Panel& panel) {
  Numbers n{};
  n.ttl = ReadWholeNumber(panel.customTtl.text);
  n.rwin = ReadWholeNumber(panel.customRwin.text);
  n.keepAlive = ReadWholeNumber(panel.customKeepAlive.text);
  n.mtu = ReadWholeNumber(panel.customMtu.text);
  n.perServer = ReadWholeNumber(panel.maxConnections.text);
  n.per10Server = ReadWholeNumber(panel.maxConnections10.text);
  return n;
}

}  // namespace

void ApplyNTSettings(const Panel& p, RawRegistry& registry, ProfileStrings& profiles,
                     const BeforeWriting& beforeWriting) {
  const Numbers n = ReadNumbers(p);
  beforeWriting();
  auto hklm = [&registry](const char* key, const char* name, std::uint32_t value) {
    WriteDwordAt(registry, kHKLM, key, name, value);
  };

  SettingsSession session(registry);
  session.SetRoot(kHKLM);
  for (const char* key : kEnsuredKeys) session.EnsureKey(key);

  hklm(map::kTcpipParametersUpperKey, map::kDefaultTTL, Low32(n.ttl));
  hklm(map::kTcpipParametersKey, map::kEnablePMTUDiscovery, IfChecked(p.autoDiscovery, 1));
  hklm(map::kTcpipParametersKey, map::kEnablePMTUBHDetect, IfChecked(p.blackHoleDetect, 1));
  hklm(map::kTcpipParametersKey, map::kTcp1323Opts, IfChecked(p.largeWindows, 1));
  hklm(map::kTcpipParametersKey, map::kSackOpts, IfChecked(p.sack, 1));
  hklm(map::kTcpipParametersKey, map::kTcpWindowSize, Low32(n.rwin));
  hklm(map::kTcpipInterfaceKey, map::kTcpWindowSize, Low32(n.rwin));
  hklm(map::kTcpipParametersKey, map::kGlobalMaxTcpWindowSize, Low32(n.rwin));
  hklm(map::kNetbtParametersKey, map::kSessionKeepAlive,
       Low32(n.keepAlive) * kMillisecondsPerSecond);

  // The cache size is text on every family; the NDI key stays open over the
  // DWORD steps below, which use sessions of their own.
  session.OpenPathForWriting(map::kNdiParamsAbsKey);
  session.PutSectionText(map::kSectionCacheSize, map::kDefaultValue, p.customCache.text);

  hklm(map::kTcpipParametersKey, map::kTcpUseRFC1122UrgentPointer, IfChecked(p.bsdUrgent, 1));
  hklm(map::kTcpipParametersKey, map::kTcpMaxDupAcks, IfChecked(p.maxDupAcks, 2));
  hklm(map::kTcpipInterfaceKey, map::kMTU, Low32(n.mtu));
  if (p.maxConnect.checked) {
    hklm(map::kNdiMaxConnectKey, map::kMin, kMaxConnectMin);
    hklm(map::kNdiMaxConnectKey, map::kMax, kMaxConnectMax);
  }
  if (p.maxSocket.checked) {
    hklm(map::kNdiMaxSocketsKey, map::kMin, kMaxSocketsMin);
    hklm(map::kNdiMaxSocketsKey, map::kMax, kMaxSocketsMax);
  }

  // Closed first: the relative class path would otherwise land below the NDI
  // key. SLOWNET runs the other way round: a ticked box writes 0x00.
  session.ClosePath();
  PutByte(session, map::kNetClass0000Key, map::kSlowNet, !p.slowNet.checked);
  PutByte(session, map::kVCacheKey, map::kStart, p.vcache.checked);
  PutByte(session, map::kComBuffKey, map::kStart, p.comBuffer.checked);

  apply::WriteConnectionLimits(registry, n.perServer, n.per10Server);

  apply::WriteOptimizedPorts(p, profiles);
}

}  // namespace iz
