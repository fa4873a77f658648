// Restore Windows Defaults, and saving and restoring the user's own settings.
#include <exception>
#include <functional>

#include "commands/izelvora.h"
#include "commands/modern_tcp.h"
#include "model/os_kind.h"
#include "model/title.h"
#include "optimize/interface_mtu.h"
#include "restore/backup.h"
#include "journal/journal.h"
#include "restore/restore_defaults.h"
#include "store/error.h"

namespace iz {

namespace {
// Undo's messages are the program's own, not the original's: they carry its
// title, as every message added since does.
constexpr const char* kUndoCaption = kAppTitle;
}  // namespace

void TIZelvora::OnRestoreDefaults() { RestoreDefaults(GetOSKind(platform_)); }

void TIZelvora::RestoreDefaults(int kind) {
  const WriterLock lock(platform_);
  JournalRun run = Journaled(kRestoreDefaultsCommand);
  const std::vector<Adapter> ticked = run.TickedAdapters(kind);
  // From Vista on the MTU in force is netsh's: set back beside the
  // registry's, recorded in the same record, as Optimize sets it.
  // netsh runs off the window's thread, as Optimize's does.
  const auto netshStep = [&](const std::function<void()>& step) {
    NetshStep(platform_, kind, ticked, step);
  };
  InterfaceMtuPlan mtus;
  netshStep([&] {
    mtus = PlanInterfaceMtus(platform_, kind,
                             InterfaceMtusOf(registry_, kind, kDefaultInterfaceMtu, ticked), run);
  });
  iz::RestoreDefaults(kind, *this, ticked, registry_, profiles_, platform_, run.Before());
  netshStep([&] { WriteInterfaceMtus(mtus); });
  // Only once the record is whole: a restart right away would leave it cut.
  netshStep([&] { run.Finish(); });
  OfferDefaultsRestart(kind, platform_, InForceNowText(mtus.changes));
}

void TIZelvora::OnBackup() {
  const WriterLock lock(platform_);
  SaveSettings(registry_, profiles_, platform_);
}

void TIZelvora::OnRestorePrevious() {
  const WriterLock lock(platform_);
  JournalRun run = Journaled(kRestorePreviousCommand);
  RestoreSavedSettings(registry_, profiles_, platform_, run.BeforeWritingValues());
  run.Finish();
}

JournalRun TIZelvora::Journaled(const char* command) {
  return JournalRun(registry_, profiles_, platform_, command, WithoutRecord::Ask);
}

// No record is made before Undo itself: undoing it would only redo the
// change. A newest record that cannot be used is offered to be set aside,
// one after the other; nothing is written before the user says yes.
void TIZelvora::OnUndoLastChange() {
  // Taken before the plan: another copy's change cannot slip in between
  // what the Confirm names and what is put back.
  const WriterLock lock(platform_);
  // The modern TCP settings a record holds go back through netsh.
  // Before Vista netsh has none of these settings: it is not run at all.
  const RunningWindows windows = GetRunningWindows(platform_);
  const std::unique_ptr<NetshAccess> tcp =
      HasModernTcpSettings(windows) ? OpenNetsh(platform_, windows) : nullptr;
  Journal journal(registry_, profiles_, platform_, tcp.get());
  // Off the window's thread: the plan and the undo read and set netsh.
  const auto planned = [&] {
    UndoPlan next;
    platform_.RunWaiting([&] { next = journal.PlanUndo(); });
    return next;
  };
  UndoPlan plan = planned();
  while (!plan.damage.empty()) {
    if (platform_.MessageBox(SetAsideQuestion(plan), kUndoCaption, MsgIcon::Question,
                             MsgButtons::YesNo) != MsgAnswer::Yes) {
      return;
    }
    if (const std::string failure = journal.SetAside(plan); !failure.empty()) throw Error(failure);
    plan = planned();
  }
  if (!plan.found) {
    platform_.MessageBox(kNothingToUndo, kUndoCaption, MsgIcon::Information, MsgButtons::Ok);
    return;
  }
  if (!plan.failure.empty()) throw Error(plan.failure);
  if (platform_.MessageBox(UndoQuestion(plan), kUndoCaption, MsgIcon::Question,
                           MsgButtons::YesNo) != MsgAnswer::Yes) {
    return;
  }
  UndoResult undone;
  platform_.RunWaiting([&] { undone = journal.Undo(plan); });
  if (!undone.failures.empty()) {
    std::string text = undone.failures.front();
    for (std::size_t i = 1; i < undone.failures.size(); ++i) {
      text += '\n';
      text += undone.failures[i];
    }
    throw Error(text);
  }
  // A value the panel cannot show must not hide that the change was undone.
  std::exception_ptr unreadable;
  try {
    OnViewCurrentSettings();
  } catch (const Error&) {
    unreadable = std::current_exception();
  }
  platform_.MessageBox(UndoneText(undone), kUndoCaption, MsgIcon::Information,
                       MsgButtons::Ok);
  if (unreadable) std::rethrow_exception(unreadable);
}

}  // namespace iz
