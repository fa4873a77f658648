#pragma once
// TIZelvora, the main window's logic: the panel plus one handler for each
// command of the menu, the toolbar and the keyboard. A handler is a short
// entry point that hands the panel, a store session and the platform to the
// operation below it; the Win32 view only forwards the user's events here.
#include <string>
#include <vector>

#include "adapters/adapters.h"
#include "model/os_kind.h"
#include "model/panel.h"
#include "model/platform.h"
#include "model/title.h"
#include "model/writer_lock.h"
#include "journal/journal.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

inline constexpr const char* kStatusPrefix = " Operating System: ";

class TIZelvora : public Panel {
 public:
  TIZelvora(RawRegistry& registry, ProfileStrings& profiles, Platform& platform);

  RawRegistry& Registry() { return registry_; }
  Platform& Plat() { return platform_; }

  // --- life
  // First-run check, status line, theming, first reading.
  void OnCreate();
  // "E&xit", the toolbar's Exit and the close box: closing the main window
  // ends the program.
  void OnExit();
  std::string StatusText;  // " Operating System: " + name, set once at start-up
  bool StatusSimple = false;
  bool StatusBold = false;

  // Runs one handler the way the message dispatch does: an error that ends it
  // goes to the general error report; a command the user stopped before it
  // wrote anything just ends.
  template <class F>
  void Dispatch(F&& handler) {
    try {
      handler();
    } catch (const CommandStopped&) {
    } catch (const std::exception& e) {
      ReportError(e.what());
    }
  }
  // The general error report: error icon, one OK, the application title, and
  // a full stop appended when the last character sorts after '.'.
  void ReportError(const std::string& text);
  static std::string ErrorReportText(const std::string& text);

  // Every handler that writes (the registry, Win.ini, the Backup folder or
  // the adapter choice) holds the WriterLock for its whole run: a second
  // copy of the program gets kAnotherCopyWriting and writes nothing.

  // --- Optimize
  void OnOptimize();
  // The journal's record, then the applier of kind's family and the ticked
  // adapters.
  // The interface MTUs it set through netsh (Vista and later), which work at once.
  std::vector<TcpValue> ApplySettings(int kind);
  void OfferRestart(const std::string& connectionName, const std::string& inForceNow);

  // --- preview and export: Optimize's checks, then its applier on an
  // in-memory copy.
  void OnPreviewChanges();  // "P&review Changes...", F7
  void OnExportRegFile();   // "&Export as .reg File...", Ctrl+E
  // "Network &Adapters...": the adapters window, whose choice is kept.
  void OnNetworkAdapters();
  // The adapters of the kind that the user left ticked.
  std::vector<Adapter> TickedAdapters(int kind);

  // --- "&Find Largest MTU...": its window, whose "&Use as Custom MTU" sets
  // the panel's MTU as the user would.
  void OnFindMtu();

  // --- "&Modern TCP Settings...": the TCP settings of Vista and later,
  // read from netsh when the window opens, and its Apply.
  void OnModernTcp();
  // Why the item is greyed on this Windows; empty where it is offered.
  std::string ModernTcpUnavailable();

  // --- the settings in force
  void OnViewCurrentSettings();
  void ReadSettings(WinFamily family);

  // --- restore, backup and the journal
  void OnRestoreDefaults();
  // The variant of kind, after the journal's record.
  void RestoreDefaults(int kind);
  void OnBackup();
  void OnRestorePrevious();
  // "&Undo Last Change": puts back what the newest journal record holds.
  void OnUndoLastChange();
  // The journal's steps around a writing command: before its first write
  // the record of what command may change, or, when it cannot be made, the
  // user's leave to go on without one (CommandStopped when refused); when it
  // ends, what it left.
  JournalRun Journaled(const char* command);

  // --- first run, help and information
  void FirstRunCheck();
  void OnHelpContents();
  void OnHomePage();        // "Internet Zelvora &Home Page"
  void OnAbout();           // "&About Internet Zelvora", and "&About" on the menu bar
  void OnTitleLinkClick();  // both title labels
  void OnAboutLinkClick();  // the about window's link

 private:
  // Optimize's precondition: false, after telling the user, when no
  // connection type is ticked.
  bool ConnectionTypeChosen();
  WinFamily RunningFamily() { return FamilyOf(GetOSKind(platform_)); }
  int RunningKind() { return GetOSKind(platform_); }

  RawRegistry& registry_;
  ProfileStrings& profiles_;
  Platform& platform_;
};

}  // namespace iz
