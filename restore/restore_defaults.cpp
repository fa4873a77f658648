#include "restore/restore_defaults.h"

#include <cstdint>

#include "app/os_kind.h"
#include "optimize/apply_common.h"
#include "optimize/restart.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

using namespace map;

constexpr const char* kConfirmCaption = "Confirm";
constexpr const char* kRestoredPrompt =
    "Windows Default settings have been restored. Before using the new settings you must "
    "restart your computer. Do you wish to reboot now? ";

void RemoveValues(SettingsSession& session, const char* key,
                  std::initializer_list<const char*> names) {
  session.OpenPathForWriting(key);
  for (const char* name : names) session.RemoveValue(name);
  session.ClosePath();
}

void ResetPorts(ProfileStrings& profiles) {
  ProfileFile winIni(profiles, WinIniPath(profiles));
  for (std::size_t i = 0; i < kComPortsWritten; ++i) {
    winIni.PutProfileText(kSectionPorts, kComPorts[i], kPortsDefault);
  }
}

void OfferRestart(Platform& platform, RestartMeans means) {
  if (platform.MessageBox(kRestoredPrompt, kConfirmCaption, MsgIcon::Question, MsgButtons::YesNo) ==
      MsgAnswer::Yes) {
    RestartByMeans(platform, means);
  }
}

// An interface key exists only once the NT applier has run; without it the
// default is simply the absence of the window value there.
bool InterfaceKeyExists(RawRegistry& registry) {
  SettingsSession probe(registry);
  probe.SetRoot(kHKLM);
  return probe.OpenPathReadOnly(kTcpipInterfaceKey);
}

enum class Variant { Win95, Win98 };

void Restore9xDefaults(Variant variant, RawRegistry& registry, ProfileStrings& profiles,
                       Platform& platform) {
  const bool is98 = variant == Variant::Win98;
  SettingsSession session(registry);
  session.SetRoot(kHKLM);

  // Both variants create the parameters key first: the DWORD write below
  // never creates its key and would fail on a system that has none yet.
  session.EnsureKey(kMstcpParametersKey);

  session.OpenPathForWriting(kVxDAbsKey);
  session.PutSectionText(kSectionMstcp, kDefaultRcvWindow, "8192");
  session.PutSectionText(kSectionMstcp, kDefaultTTL, "32");
  session.PutSectionText(kSectionMstcp, kSessionKeepAlive, "3600");
  session.PutSectionText(kSectionMstcp, kPMTUDiscovery, "1");
  session.PutSectionText(kSectionMstcp, kPMTUBlackHoleDetect, "1");
  session.PutSectionText(kSectionMstcp, kSackOpts, "0");
  if (is98) session.RemoveSectionValue(kSectionMstcp, kBSDUrgent);
  session.ClosePath();

  WriteDwordAt(registry, kHKLM, kMstcpParametersAbsKey, kMaxDupAcks, 3);

  if (is98) {
    RemoveValues(session, kMstcpParametersKey,
                 {kTcp1323Opts, kGlobalMaxTcpWindoSize, kGlobalMaxTcpWindowSize, kSackOpts});
  } else {
    RemoveValues(session, kMstcpParametersKey, {kTcp1323Opts});
  }
  RemoveValues(session, kMstcpKey, {kTcp1323Opts});

  session.OpenPathForWriting(kNdiParamsKey);
  session.PutSectionText(kSectionCacheSize, kDefaultValue, "0");
  session.PutSectionText(kSectionMaxConnect, kMin, "1");
  session.PutSectionText(kSectionMaxConnect, kMax, "64");
  session.PutSectionText(kSectionMaxSockets, kMin, "2");
  session.PutSectionText(kSectionMaxSockets, kMax, "255");
  session.ClosePath();

  session.OpenPathForWriting(kNetTransKey);
  session.PutSectionText(kInstance0000, kIPMTU, "1500");
  session.ClosePath();

  RemoveValues(session, kNetTrans0000Key, {kMaxMTU, kMaxMSS});
  for (const char* key : {kNetClass0001Key, kNetTrans0001Key, kNetTrans0002Key, kNetClass0000Key}) {
    RemoveValues(session, key, {kMaxMTU, kMaxMSS, kIPMTU});
  }

  apply::PutByte(session, kNetClass0000Key, kSlowNet, 0x01);
  apply::PutByte(session, kVCacheKey, kStart, 0x00);
  apply::PutByte(session, kComBuffKey, kStart, 0x00);

  session.SetRoot(kHKCU);
  RemoveValues(session, kInternetSettingsKey,
               {kMaxConnectionsPerServer, kMaxConnectionsPer1_0Server});

  ResetPorts(profiles);

  OfferRestart(platform, is98 ? RestartMeans::Rundll32 : RestartMeans::Rundll);
}

}  // namespace

void RestoreNTDefaults(const Panel& panel, RawRegistry& registry, ProfileStrings& profiles,
                       Platform& platform) {
  SettingsSession session(registry);
  session.SetRoot(kHKLM);

  WriteDwordAt(registry, kHKLM, kTcpipParametersUpperKey, kDefaultTTL, 128);
  WriteDwordAt(registry, kHKLM, kTcpipParametersKey, kEnablePMTUDiscovery, 1);
  WriteDwordAt(registry, kHKLM, kTcpipParametersKey, kEnablePMTUBHDetect, 0);

  session.OpenPathForWriting(kTcpipParametersKey);
  session.RemoveValue(kTcp1323Opts);
  session.RemoveValue(kGlobalMaxTcpWindowSize);

  WriteDwordAt(registry, kHKLM, kTcpipParametersKey, kSackOpts, 1);
  WriteDwordAt(registry, kHKLM, kTcpipParametersKey, kTcpWindowSize, 65535);
  if (InterfaceKeyExists(registry)) {
    WriteDwordAt(registry, kHKLM, kTcpipInterfaceKey, kTcpWindowSize, 65535);
  }
  WriteDwordAt(registry, kHKLM, kNetbtParametersKey, kSessionKeepAlive, 3600000);
  WriteDwordAt(registry, kHKLM, kTcpipParametersKey, kTcpUseRFC1122UrgentPointer, 0);
  WriteDwordAt(registry, kHKLM, kTcpipParametersKey, kTcpMaxDupAcks, 2);

  session.ClosePath();
  RemoveValues(session, kTcpipInterfaceKey, {kMTU});

  apply::PutByte(session, kNetClass0000AbsKey, kSlowNet, 0x01);
  apply::PutByte(session, kVCacheKey, kStart, 0x01);
  apply::PutByte(session, kComBuffKey, kStart, 0x01);

  session.SetRoot(kHKCU);
  RemoveValues(session, kInternetSettingsUpperKey,
               {kMaxConnectionsPerServer, kMaxConnectionsPer1_0Server});

  if (panel.CheckBox6.checked) ResetPorts(profiles);

  // NT 4.0 knows fewer exit flags than its successors.
  OfferRestart(platform, GetOSKind(platform) == 4 ? RestartMeans::ExitWindowsNT4
                                                  : RestartMeans::ExitWindowsNT5);
}

void Restore95Defaults(RawRegistry& registry, ProfileStrings& profiles, Platform& platform) {
  Restore9xDefaults(Variant::Win95, registry, profiles, platform);
}

void Restore98Defaults(RawRegistry& registry, ProfileStrings& profiles, Platform& platform) {
  Restore9xDefaults(Variant::Win98, registry, profiles, platform);
}

}  // namespace iz
