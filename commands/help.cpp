// The first-run check and the help, web and about entries of the main window.
// None of the launch handlers looks at the shell's result: a missing viewer or
// browser shows whatever the shell itself shows, and nothing else.
#include <exception>
#include <string>

#include "commands/izelvora.h"
#include "help/help_file.h"
#include "help/links.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

// HKEY_CURRENT_USER\SOFTWARE\Internet Zelvora, value "FirstUse", is the one
// piece of state the program keeps of its own.
void TIZelvora::FirstRunCheck() {
  SettingsSession session(Registry());
  session.SetRoot(map::kFirstUseRoot);
  // The flag is a section of "\SOFTWARE". Should that key not open, the
  // section is named from the root instead, so that the flag is still read
  // and written in its own key and never lands directly below the root.
  const std::string section = session.OpenPath(map::kSoftwareAbsKey, false)
                                  ? std::string(map::kSectionZelvora)
                                  : std::string(map::kSoftwareAbsKey) + "\\" + map::kSectionZelvora;
  // Only the exact text "1" (or nothing stored) means the notice is still due;
  // a flag of another type raises the store error, which ends start-up.
  const std::string flag = session.GetSectionText(section, map::kFirstUse, map::kFirstUseDefault);
  if (flag != map::kFirstUseDefault) return;

  // The flag is stored even when showing the notice failed, so that a notice
  // that cannot be shown does not come back at every start.
  std::exception_ptr noticeError;
  try {
    Plat().ShowFirstRunNotice();
  } catch (...) {
    noticeError = std::current_exception();
  }
  session.PutSectionText(section, map::kFirstUse, map::kFirstUseShown);
  session.ClosePath();
  if (noticeError) std::rethrow_exception(noticeError);
}

// The application's help file name stays the bare name, but the menu opens
// the file beside the program like the toolbar does: the bare name resolves
// against the current directory, which need not be the program's.
void TIZelvora::OnHelpContents() {
  Plat().ShellOpen(Owner::MainWindow, HelpFilePath(Plat().ProgramPath()), "");
}

void TIZelvora::OnHomePage() { Plat().ShellOpen(Owner::MainWindow, kHomePage, ""); }

void TIZelvora::OnAbout() { Plat().ShowAboutBox(); }

void TIZelvora::OnTitleLinkClick() { Plat().ShellOpen(Owner::MainWindow, kPublisherSite, ""); }

// The link lives in the about window, so that window owns the launch.
void TIZelvora::OnAboutLinkClick() { Plat().ShellOpen(Owner::AboutWindow, kPublisherSite, ""); }

}  // namespace iz
