#pragma once
// Which TIZelvora handler each menu item, accelerator and toolbar button
// runs. Several controls run a handler named after another component (the
// toolbar's "Optimize" runs ToolButton4Click, its "View " ToolButton1Click).
#include "app/izelvora.h"
#include "app/win32/resource_ids.h"

namespace iz::win32 {

struct Command {
  int id;
  void (TIZelvora::*run)();
};

inline constexpr Command kCommands[] = {
    {IDM_OPTIMIZE_CONNECTION, &TIZelvora::ToolButton4Click},
    {IDM_VIEW_CURENT_SETTINGS, &TIZelvora::ViewCurentSettings1Click},
    {IDM_PREVIEW_CHANGES, &TIZelvora::PreviewChanges1Click},
    {IDM_EXPORT_REG_FILE, &TIZelvora::ExportasregFile1Click},
    {IDM_BACKUP, &TIZelvora::Backup1Click},
    {IDM_RESTORE_PREVIOUS, &TIZelvora::Restoreyouroriginalconfiguration1Click},
    {IDM_UNDO_LAST_CHANGE, &TIZelvora::UndoLastChange1Click},
    {IDM_RESTORE_WINDOWS_DEFAULTS, &TIZelvora::RestoreWindowsDefaults1Click},
    {IDM_EXIT, &TIZelvora::Exit1Click},
    {IDM_CONTENTS, &TIZelvora::Contents1Click},
    {IDM_CHECK_NEW_VERSION, &TIZelvora::Check1Click},
    {IDM_HOME_PAGE, &TIZelvora::HomePage1Click},
    {IDM_ABOUT_INTERNET_ZELVORA, &TIZelvora::AboutInternetZelvora1Click},
    {IDM_ABOUT, &TIZelvora::About1Click},
    {IDT_OPTIMIZE, &TIZelvora::ToolButton4Click},
    {IDT_RESTORE, &TIZelvora::ToolButton6Click},
    {IDT_VIEW, &TIZelvora::ToolButton1Click},
    {IDT_HELP, &TIZelvora::ToolButton8Click},
    {IDT_EXIT, &TIZelvora::ToolButton10Click},
};

inline constexpr const Command* FindCommand(int id) {
  for (const Command& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

}  // namespace iz::win32
