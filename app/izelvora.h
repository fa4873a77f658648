#pragma once
// TIZelvora, the main window's logic: the panel plus every handler under its
// component-and-event name. A handler is a short entry point that hands the
// panel, a store session and the platform to its subsystem.
#include <memory>
#include <string>

#include "app/panel.h"
#include "app/platform.h"
#include "app/title.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

inline constexpr const char* kStatusPrefix = " Operating System: ";

// The theming component: created at start-up as "ThemeManager1", applied to
// the windows that exist, destroyed with the main window.
struct ThemeManager {
  std::string Name;
};

class TIZelvora : public Panel {
 public:
  TIZelvora(RawRegistry& registry, ProfileStrings& profiles, Platform& platform);
  ~TIZelvora() override;

  RawRegistry& Registry() { return registry_; }
  ProfileStrings& Profiles() { return profiles_; }
  Platform& Plat() { return platform_; }

  // --- life (app/izelvora.cpp)
  void FormCreate();   // first-run check, status line, theming, first reading
  void FormDestroy();  // destroys the theming component
  void Exit1Click();
  void ToolButton10Click();
  std::string StatusText;  // " Operating System: " + name, set once at start-up
  bool StatusSimple = false;
  bool StatusBold = false;
  std::unique_ptr<iz::ThemeManager> ThemeManager;

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

  // --- connection types and methods (profiles/)
  void glCheckBox1Click();
  void glCheckBox2Click();
  void glCheckBox3Click();
  void glCheckBox4Click();
  void glCheckBox5Click();
  void glCheckBox6Click();  // " Automatic Mode 1" on RadioButton3
  void glCheckBox7Click();
  void glCheckBox12Click();
  void RadioButton4Click();
  // Fixed choices.
  void RadioButton5Click();
  void RadioButton6Click();
  void RadioButton7Click();
  void RadioButton8Click();
  void RadioButton9Click();
  void RadioButton10Click();
  void RadioButton11Click();
  void RadioButton12Click();
  void RadioButton13Click();
  void RadioButton14Click();
  void RadioButton15Click();
  void RadioButton16Click();
  void RadioButton17Click();
  void RadioButton18Click();
  void RadioButton19Click();
  // Input rules.
  void Edit1Change();
  void Edit2Change();
  void Edit3Change();
  void Edit4Change();
  void Edit5Change();
  void ComboBox1Change();
  void ComputeRwin(int multiple);
  // The MTU key filter: true when the typed character is to be discarded.
  bool Edit2KeyPress(char key);

  // --- Optimize (optimize/)
  void ToolButton4Click();
  void ApplyNTSettings();
  void Apply9xSettings();
  void OfferRestart(const std::string& connectionName);
  bool ExitWindowsWithPrivilege(std::uint32_t flags);

  // --- preview and export (preview/): Optimize's checks, then its
  // applier on an in-memory copy.
  void PreviewChanges1Click();   // "P&review Changes...", F7
  void ExportasregFile1Click();  // "&Export as .reg File...", Ctrl+E

  // --- current settings (current/)
  void ViewCurentSettings1Click();
  void ToolButton1Click();
  void ReadNTSettings();
  void Read9xSettings();

  // --- restore and backup (restore/)
  void RestoreWindowsDefaults1Click();
  void ToolButton6Click();
  void RestoreNTDefaults();
  void Restore95Defaults();
  void Restore98Defaults();
  void Backup1Click();
  void Restoreyouroriginalconfiguration1Click();
  // "&Undo Last Change": puts back what the newest journal record holds.
  void UndoLastChange1Click();
  // The step the writing commands take before their first write: the
  // journal's record of what command may change, or, when it cannot be made,
  // the user's leave to go on without one (CommandStopped when refused).
  BeforeWriting Journaled(const char* command);

  // --- first run, help and information (help/)
  void FirstRunCheck();
  void Contents1Click();
  void ToolButton8Click();
  void Check1Click();
  void HomePage1Click();                // "Internet Zelvora &Home Page"
  void AboutInternetZelvora1Click();    // "&About Internet Zelvora"
  void About1Click();
  void glLabel2Click();                 // both title labels
  void Label2Click();                   // the about window's link

 private:
  // Optimize's precondition: false, after telling the user, when no
  // connection type is ticked.
  bool ConnectionTypeChosen();

  RawRegistry& registry_;
  ProfileStrings& profiles_;
  Platform& platform_;
};

}  // namespace iz
