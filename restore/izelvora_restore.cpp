// Restore Windows Defaults, and saving and restoring the user's own settings.
#include <exception>

#include "app/izelvora.h"
#include "app/os_kind.h"
#include "restore/backup.h"
#include "restore/journal.h"
#include "restore/restore_defaults.h"
#include "store/error.h"

namespace iz {

namespace {
constexpr const char* kConfirmCaption = "Confirm";
constexpr const char* kInformationCaption = "Information";
}  // namespace

void TIZelvora::RestoreWindowsDefaults1Click() {
  const int kind = GetOSKind(platform_);
  // An unrecognised system is treated as the oldest 9x.
  if (kind == kUnknown || kind == kWin95) {
    Restore95Defaults();
  } else if (IsWin98Family(kind)) {
    Restore98Defaults();
  } else if (IsNTFamily(kind)) {
    RestoreNTDefaults();
  }
}

void TIZelvora::ToolButton6Click() { RestoreWindowsDefaults1Click(); }

void TIZelvora::RestoreNTDefaults() {
  iz::RestoreNTDefaults(*this, registry_, profiles_, platform_, Journaled(kRestoreDefaultsCommand));
}

void TIZelvora::Restore95Defaults() {
  iz::Restore95Defaults(registry_, profiles_, platform_, Journaled(kRestoreDefaultsCommand));
}

void TIZelvora::Restore98Defaults() {
  iz::Restore98Defaults(registry_, profiles_, platform_, Journaled(kRestoreDefaultsCommand));
}

void TIZelvora::Backup1Click() { SaveSettings(registry_, profiles_, platform_); }

void TIZelvora::Restoreyouroriginalconfiguration1Click() {
  RestoreSavedSettings(registry_, profiles_, platform_, Journaled(kRestorePreviousCommand));
}

BeforeWriting TIZelvora::Journaled(const char* command) {
  return [this, command] {
    const std::string reason = Journal(registry_, profiles_, platform_).Record(command);
    if (reason.empty()) return;
    if (platform_.MessageBox(UnrecordedChangeQuestion(command, reason), kConfirmCaption,
                             MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
      throw CommandStopped();
    }
  };
}

// No record is made before Undo itself: undoing it would only redo the change.
void TIZelvora::UndoLastChange1Click() {
  const UndoResult undone = Journal(registry_, profiles_, platform_).UndoLast();
  if (!undone.found) {
    platform_.MessageBox(kNothingToUndo, kInformationCaption, MsgIcon::Information, MsgButtons::Ok);
    return;
  }
  if (!undone.failures.empty()) {
    std::string text = undone.failures.front();
    for (std::size_t i = 1; i < undone.failures.size(); ++i) text += "\n" + undone.failures[i];
    throw Error(text);
  }
  // A value the panel cannot show must not hide that the change was undone.
  std::exception_ptr unreadable;
  try {
    ViewCurentSettings1Click();
  } catch (const Error&) {
    unreadable = std::current_exception();
  }
  platform_.MessageBox(UndoneText(undone), kInformationCaption, MsgIcon::Information,
                       MsgButtons::Ok);
  if (unreadable) std::rethrow_exception(unreadable);
}

}  // namespace iz
