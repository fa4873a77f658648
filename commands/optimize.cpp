// The Optimize command: write the panel through the applier of the running
// family, then offer the restart that makes the stack pick the values up.
#include <functional>

#include "commands/izelvora.h"
#include "model/os_kind.h"
#include "model/restart.h"
#include "optimize/apply.h"
#include "commands/modern_tcp.h"
#include "journal/journal.h"
#include "modern/join.h"
#include "optimize/interface_mtu.h"

namespace iz {

namespace {

constexpr const char* kChooseTypeFirst = "You must choose a connection type first.";
constexpr const char* kInformationCaption = "Information";
constexpr const char* kConfirmCaption = "Confirm";
constexpr const char* kOptimizedHead = "Your ";
constexpr const char* kOptimizedTail =
    " connection has been Optimized. Before using the new settings you must restart your "
    "computer. Do you wish to reboot now? ";

// The prompt names a type by its own spelling, not by the box's caption
// ("MODEM (Dial -Up)" reads "Modem (Dial-Up)", "EXTREME" reads "extreme").
struct ConnectionName {
  CheckBoxCtl Panel::*box;
  const char* displayName;
};
constexpr ConnectionName kConnectionNames[] = {
    {&Panel::modem, "Modem (Dial-Up)"}, {&Panel::isdn, "ISDN"},
    {&Panel::cableDsl, "CABLE / DSL"},  {&Panel::pppoe, "DSL (PPPoE)"},
    {&Panel::extreme, "extreme"},
};

// The first ticked connection type, or nullptr when none is.
const char* CheckedConnectionName(const Panel& panel) {
  for (const ConnectionName& c : kConnectionNames) {
    if ((panel.*c.box).checked) return c.displayName;
  }
  return nullptr;
}

}  // namespace

bool TIZelvora::ConnectionTypeChosen() {
  if (CheckedConnectionName(*this) != nullptr) return true;
  platform_.MessageBox(kChooseTypeFirst, kInformationCaption, MsgIcon::Information, MsgButtons::Ok);
  return false;
}

void TIZelvora::OnOptimize() {
  if (!ConnectionTypeChosen()) return;
  const std::vector<TcpValue> set = ApplySettings(RunningKind());
  OfferRestart(CheckedConnectionName(*this), InForceNowText(set));
}

std::vector<TcpValue> OptimizeRecorded(RawRegistry& registry, ProfileStrings& profiles,
                                       Platform& platform, const Panel& panel, int kind,
                                       WithoutRecord without) {
  const WriterLock lock(platform);
  JournalRun run(registry, profiles, platform, kOptimizeCommand, without);
  const std::vector<Adapter> ticked = run.TickedAdapters(kind);
  // From Vista on the interfaces' MTUs go through netsh, off the window's
  // thread.
  const auto netshStep = [&](const std::function<void()>& step) {
    NetshStep(platform, kind, ticked, step);
  };
  InterfaceMtuPlan mtus;
  netshStep([&] { mtus = PlanInterfaceMtus(registry, platform, kind, panel, ticked, run); });
  iz::ApplySettings(kind, panel, ticked, registry, profiles, run.Before());
  netshStep([&] { WriteInterfaceMtus(mtus); });
  // The record reads what netsh then has in force.
  netshStep([&] { run.Finish(); });
  return mtus.changes;
}

std::vector<TcpValue> TIZelvora::ApplySettings(int kind) {
  return OptimizeRecorded(registry_, profiles_, platform_, *this, kind, WithoutRecord::Ask);
}

void TIZelvora::OfferRestart(const std::string& connectionName, const std::string& inForceNow) {
  // The question as it has always been asked, then what already works.
  std::string text = JoinText({kOptimizedHead, connectionName, kOptimizedTail});
  if (!inForceNow.empty()) text += JoinText({"\n\n", inForceNow});
  if (platform_.MessageBox(text, kConfirmCaption, MsgIcon::Question, MsgButtons::YesNo) !=
      MsgAnswer::Yes) {
    return;
  }
  // Asked again: the answer may come long after the applier ran.
  RestartByMeans(platform_, MeansForKind(GetOSKind(platform_)));
}

}  // namespace iz
