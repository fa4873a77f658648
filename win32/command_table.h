#pragma once
// Which TIZelvora handler each command runs. The toolbar's buttons and the
// accelerators send the menu's commands, so each command has one handler.
#include "commands/izelvora.h"
#include "win32/resource_ids.h"

namespace iz::win32 {

struct Command {
  int id;
  void (TIZelvora::*run)();
};

inline constexpr Command kCommands[] = {
    {IDM_OPTIMIZE_CONNECTION, &TIZelvora::OnOptimize},
    {IDM_VIEW_CURRENT_SETTINGS, &TIZelvora::OnViewCurrentSettings},
    {IDM_PREVIEW_CHANGES, &TIZelvora::OnPreviewChanges},
    {IDM_EXPORT_REG_FILE, &TIZelvora::OnExportRegFile},
    {IDM_NETWORK_ADAPTERS, &TIZelvora::OnNetworkAdapters},
    {IDM_FIND_MTU, &TIZelvora::OnFindMtu},
    {IDM_MODERN_TCP, &TIZelvora::OnModernTcp},
    {IDM_BACKUP, &TIZelvora::OnBackup},
    {IDM_RESTORE_PREVIOUS, &TIZelvora::OnRestorePrevious},
    {IDM_UNDO_LAST_CHANGE, &TIZelvora::OnUndoLastChange},
    {IDM_RESTORE_WINDOWS_DEFAULTS, &TIZelvora::OnRestoreDefaults},
    {IDM_EXIT, &TIZelvora::OnExit},
    {IDM_CONTENTS, &TIZelvora::OnHelpContents},
    {IDM_CHECK_NEW_VERSION, &TIZelvora::OnHomePage},
    {IDM_HOME_PAGE, &TIZelvora::OnHomePage},
    {IDM_ABOUT_INTERNET_ZELVORA, &TIZelvora::OnAbout},
    {IDM_ABOUT, &TIZelvora::OnAbout},
};

inline constexpr const Command* FindCommand(int id) {
  for (const Command& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

}  // namespace iz::win32
