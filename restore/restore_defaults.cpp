#include "restore/restore_defaults.h"

#include <cstdint>

#include "model/os_kind.h"
#include "model/restart.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

using namespace map;

constexpr const char* kConfirmCaption = "Confirm";
constexpr const char* kRestoredPrompt =
    "Windows Default settings have been restored. Before using the new settings you must "
    "restart your computer. Do you wish to reboot now? ";

// The values come from the parameter map; the key may be spelt as the step
// spells it.
void WriteFixedDword(RawRegistry& registry, const char* key, const char* name, Op op) {
  WriteDwordAt(registry, kHKLM, key, name, FixedNumber(key, name, op));
}

void PutFixedByte(SettingsSession& session, const char* key, const char* name, Op op) {
  PutByte(session, key, name, static_cast<std::uint8_t>(FixedNumber(key, name, op)));
}

// The NDI ranges and the cache size, as section strings of the params key.
struct NdiSection {
  const char* section;
  const char* key;
  const char* name;
};
constexpr NdiSection kNdiSections[] = {
    {kSectionCacheSize, kNdiCacheSizeKey, kDefaultValue},
    {kSectionMaxConnect, kNdiMaxConnectKey, kMin},
    {kSectionMaxConnect, kNdiMaxConnectKey, kMax},
    {kSectionMaxSockets, kNdiMaxSocketsKey, kMin},
    {kSectionMaxSockets, kNdiMaxSocketsKey, kMax},
};

void ResetPorts(ProfileStrings& profiles) {
  ProfileFile winIni(profiles, WinIniPath(profiles));
  for (std::size_t i = 0; i < kComPortsWritten; ++i) {
    winIni.PutProfileText(kSectionPorts, kComPorts[i], kPortsDefault);
  }
}

void OfferRestart(Platform& platform, RestartMeans means, const std::string& inForceNow) {
  std::string text = kRestoredPrompt;
  if (!inForceNow.empty()) text += "\n\n" + inForceNow;
  if (platform.MessageBox(text, kConfirmCaption, MsgIcon::Question, MsgButtons::YesNo) ==
      MsgAnswer::Yes) {
    RestartByMeans(platform, means);
  }
}

// An adapter's key is never made here: one that is gone holds nothing.
void RemoveAdapterValues(RawRegistry& registry, const std::vector<Adapter>& adapters) {
  SettingsSession session(registry);
  session.SetRoot(kHKLM);
  for (const Adapter& adapter : adapters) {
    if (!WrittenByAdapterStep(adapter)) continue;
    long status = kRegOk;
    const bool open = session.OpenPath("\\" + adapter.key, false, &status);
    for (const AdapterValue& v : AdapterValues(adapter.stack)) {
      if (open) {
        session.EraseValue(v.name);
      } else if (status != kRegNotFound) {
        throw Error(FormatMessage(kFailedToRemove, v.name));
      }
    }
    session.ClosePath();
  }
}

enum class Variant { Win95, Win98 };

void Restore9xDefaults(Variant variant, RawRegistry& registry, ProfileStrings& profiles,
                       const std::vector<Adapter>& adapters) {
  const bool is98 = variant == Variant::Win98;
  const Op op = is98 ? Op::Restore98 : Op::Restore95;
  SettingsSession session(registry);
  session.SetRoot(kHKLM);

  // Both variants create the parameters key first: the DWORD write below
  // never creates its key and would fail on a system that has none yet.
  session.EnsureKey(kMstcpParametersKey);

  session.OpenPathForWriting(kVxDAbsKey);
  for (const char* name : {kDefaultRcvWindow, kDefaultTTL, kSessionKeepAlive, kPMTUDiscovery,
                           kPMTUBlackHoleDetect, kSackOpts}) {
    session.PutSectionText(kSectionMstcp, name, FixedText(kMstcpKey, name, op));
  }
  if (is98) session.RemoveSectionValue(kSectionMstcp, kBSDUrgent);
  session.ClosePath();

  WriteFixedDword(registry, kMstcpParametersAbsKey, kMaxDupAcks, op);

  if (is98) {
    RemoveValues(session, kMstcpParametersKey,
                 {kTcp1323Opts, kGlobalMaxTcpWindoSize, kGlobalMaxTcpWindowSize, kSackOpts});
  } else {
    RemoveValues(session, kMstcpParametersKey, {kTcp1323Opts});
  }
  RemoveValues(session, kMstcpKey, {kTcp1323Opts});

  session.OpenPathForWriting(kNdiParamsKey);
  for (const NdiSection& n : kNdiSections) {
    session.PutSectionText(n.section, n.name, FixedText(n.key, n.name, op));
  }
  session.ClosePath();

  session.OpenPathForWriting(kNetTransKey);
  session.PutSectionText(kInstance0000, kIPMTU, FixedText(kNetTrans0000Key, kIPMTU, op));
  session.ClosePath();

  RemoveValues(session, kNetTrans0000Key, {kMaxMTU, kMaxMSS});
  for (const char* key : {kNetClass0001Key, kNetTrans0001Key, kNetTrans0002Key, kNetClass0000Key}) {
    RemoveValues(session, key, {kMaxMTU, kMaxMSS, kIPMTU});
  }

  PutFixedByte(session, kNetClass0000Key, kSlowNet, op);
  PutFixedByte(session, kVCacheKey, kStart, op);
  PutFixedByte(session, kComBuffKey, kStart, op);

  session.SetRoot(kHKCU);
  RemoveValues(session, kInternetSettingsKey,
               {kMaxConnectionsPerServer, kMaxConnectionsPer1_0Server});

  ResetPorts(profiles);

  RemoveAdapterValues(registry, adapters);
}

}  // namespace

void RestoreNTDefaults(const Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                       Platform& /*platform*/, const BeforeWriting& beforeWriting,
                       const std::vector<Adapter>& adapters) {
  beforeWriting();
  SettingsSession session(registry);
  session.SetRoot(kHKLM);

  constexpr Op op = Op::RestoreNT;
  WriteFixedDword(registry, kTcpipParametersUpperKey, kDefaultTTL, op);
  WriteFixedDword(registry, kTcpipParametersKey, kEnablePMTUDiscovery, op);
  WriteFixedDword(registry, kTcpipParametersKey, kEnablePMTUBHDetect, op);

  session.OpenPathForWriting(kTcpipParametersKey);
  session.EraseValue(kTcp1323Opts);
  session.EraseValue(kGlobalMaxTcpWindowSize);
  // Windows has no receive window value of its own: without one it sizes
  // the window from the link, which is the default to go back to.
  session.EraseValue(kTcpWindowSize);

  WriteFixedDword(registry, kTcpipParametersKey, kSackOpts, op);
  WriteFixedDword(registry, kNetbtParametersKey, kSessionKeepAlive, op);
  WriteFixedDword(registry, kTcpipParametersKey, kTcpUseRFC1122UrgentPointer, op);
  WriteFixedDword(registry, kTcpipParametersKey, kTcpMaxDupAcks, op);

  session.ClosePath();
  RemoveValues(session, kTcpipInterfaceKey, {kTcpWindowSize, kMTU});

  PutFixedByte(session, kNetClass0000AbsKey, kSlowNet, op);
  PutFixedByte(session, kVCacheKey, kStart, op);
  PutFixedByte(session, kComBuffKey, kStart, op);

  session.SetRoot(kHKCU);
  RemoveValues(session, kInternetSettingsUpperKey,
               {kMaxConnectionsPerServer, kMaxConnectionsPer1_0Server});

  if (panel.comPorts.checked) ResetPorts(profiles);

  RemoveAdapterValues(registry, adapters);
}

void Restore95Defaults(RawRegistry& registry, ProfileStrings& profiles, Platform& /*platform*/,
                       const BeforeWriting& beforeWriting, const std::vector<Adapter>& adapters) {
  beforeWriting();
  Restore9xDefaults(Variant::Win95, registry, profiles, adapters);
}

void Restore98Defaults(RawRegistry& registry, ProfileStrings& profiles, Platform& /*platform*/,
                       const BeforeWriting& beforeWriting, const std::vector<Adapter>& adapters) {
  beforeWriting();
  Restore9xDefaults(Variant::Win98, registry, profiles, adapters);
}

void OfferDefaultsRestart(int kind, Platform& platform, const std::string& inForceNow) {
  if (IsNTFamily(kind)) {
    // NT 4.0 knows fewer exit flags than its successors.
    OfferRestart(platform, GetOSKind(platform) == kWinNT4 ? RestartMeans::ExitWindowsNT4
                                                          : RestartMeans::ExitWindowsNT5,
                 inForceNow);
  } else {
    OfferRestart(platform, IsWin98Family(kind) ? RestartMeans::Rundll32 : RestartMeans::Rundll,
                 inForceNow);
  }
}

void RestoreDefaults(int kind, const Panel& panel, const std::vector<Adapter>& adapters,
                     RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                     const BeforeWriting& beforeWriting) {
  if (IsNTFamily(kind)) {
    RestoreNTDefaults(panel, registry, profiles, platform, beforeWriting, adapters);
  } else if (IsWin98Family(kind)) {
    Restore98Defaults(registry, profiles, platform, beforeWriting, adapters);
  } else {
    Restore95Defaults(registry, profiles, platform, beforeWriting, adapters);
  }
}

}  // namespace iz
