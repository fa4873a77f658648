// Restore Windows Defaults, and saving and restoring the user's own settings.
#include <exception>

#include "commands/izelvora.h"
#include "model/os_kind.h"
#include "restore/backup.h"
#include "restore/journal.h"
#include "restore/restore_defaults.h"
#include "store/error.h"

namespace iz {

namespace {
constexpr const char* kConfirmCaption = "Confirm";
constexpr const char* kInformationCaption = "Information";
}  // namespace

void TIZelvora::OnRestoreDefaults() { RestoreDefaults(GetOSKind(platform_)); }

void TIZelvora::RestoreDefaults(int kind) {
  iz::RestoreDefaults(kind, *this, registry_, profiles_, platform_,
                      Journaled(kRestoreDefaultsCommand));
}

void TIZelvora::OnBackup() { SaveSettings(registry_, profiles_, platform_); }

void TIZelvora::OnRestorePrevious() {
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
void TIZelvora::OnUndoLastChange() {
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
    OnViewCurrentSettings();
  } catch (const Error&) {
    unreadable = std::current_exception();
  }
  platform_.MessageBox(UndoneText(undone), kInformationCaption, MsgIcon::Information,
                       MsgButtons::Ok);
  if (unreadable) std::rethrow_exception(unreadable);
}

}  // namespace iz
