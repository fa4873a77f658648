// The main window's life: wiring the panel's events to their handlers,
// start-up, the end of the window, leaving the program and the general error
// report.
#include "commands/izelvora.h"

#include "current/read.h"
#include "model/os_kind.h"
#include "profiles/choices.h"

namespace iz {

TIZelvora::TIZelvora(RawRegistry& registry, ProfileStrings& profiles, Platform& platform)
    : registry_(registry), profiles_(profiles), platform_(platform) {
  WireChoices(*this);
}

// An error raised by any step leaves this function at once; the caller's
// dispatch shows it and the window opens with what the earlier steps did.
void TIZelvora::OnCreate() {
  FirstRunCheck();

  StatusSimple = true;
  StatusBold = true;
  StatusText = kStatusPrefix + SystemName(platform_);

  platform_.ApplyTheming();

  // Asked again rather than reused, as every family-dependent step does.
  ReadSettings(RunningFamily());
}

// The main window is the application's: closing it ends the program.
void TIZelvora::OnExit() { platform_.CloseMainWindow(); }

void TIZelvora::ReportError(const std::string& text) {
  platform_.MessageBox(ErrorReportText(text), kAppTitle, MsgIcon::Error, MsgButtons::Ok);
}

// A text ending in a letter or digit gains a full stop; one ending in a
// closing apostrophe, a full stop or a blank does not. Characters above 127
// sort after '.' too.
std::string TIZelvora::ErrorReportText(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
  return text;
}

}  // namespace iz
