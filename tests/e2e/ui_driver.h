#pragma once
// A small UI driver for end-to-end tests: starts InternetZelvora.exe under the
// same Wine prefix as the test, finds its windows and controls, clicks, types,
// picks, sends menu commands and accelerators, reads states, the status bar
// and message boxes, and answers them.
//
// Everything that may end in a modal dialog is posted, never sent: a sent
// message would block the test inside the program's modal loop. After each
// action the driver waits until the program has worked through its queue
// (see Program::WaitIdle).
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../../win32/resource_ids.h"

namespace e2e {

// ---- the prefix's registry, through the normal API (the test runs in the
// same prefix as the program).
struct RegValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  std::string AsString() const;  // REG_SZ without its terminating NUL
  DWORD AsDword() const;
};
void RegSetString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value);
void RegSetDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
void RegSetBinary(HKEY root, const std::string& key, const std::string& name,
                  const std::vector<std::uint8_t>& bytes);
void RegRemoveValue(HKEY root, const std::string& key, const std::string& name);
// Removes a key with all its subkeys; absent keys are fine.
void RegRemoveKey(HKEY root, const std::string& key);
RegValue RegRead(HKEY root, const std::string& key, const std::string& name);

// Wine's per-program Windows version (win98, winxp, win10, ...); the empty
// text removes it, leaving Wine's default (Windows 7).
void SetWindowsVersion(const std::string& version);
// Marks the first-run notice as already shown (FirstUse = "0"), or removes
// the flag so that the next start shows it.
void SetFirstRunSeen(bool seen);

// The screen's DPI for programs started from now on (LogPixels of the
// prefix; 96 is Windows' default).
void SetScreenDpi(int dpi);

// The Backup folder beside the program, and its removal with what Backup
// writes into it.
std::string BackupFolder();
void RemoveBackupFolder();

// InternetZelvora.exe: $IZ_PROGRAM, or the file beside the test executable.
std::string ProgramPath();

// The program run with arguments, as its command line's one command: its exit
// code (nullopt when it did not end in time) and what it printed, by line.
struct CommandRun {
  std::optional<DWORD> exitCode;
  std::vector<std::string> lines;
};
CommandRun RunCommandLine(const std::string& arguments, DWORD milliseconds = 60000);

struct StartOptions {
  std::string windowsVersion;  // empty: Wine's default
  bool firstRunSeen = true;    // false: leave the first-use flag alone
  // true: wait until the main window shows; a message box during start-up
  // then fails the test and is closed. false: return once the (still hidden)
  // main window exists, for tests of what start-up shows.
  bool waitForMainWindow = true;
  std::string workingDirectory;  // empty: the test's own
  std::wstring program;          // another copy of the program; empty: ProgramPath()

  static StartOptions OnWindows(const std::string& version) {
    StartOptions options;
    options.windowsVersion = version;
    return options;
  }
};

// A message box (or any dialog) of the program.
struct Dialog {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;  // the texts of its static controls, joined by '\n'
  std::vector<std::string> buttons;
};

struct ToolButtonInfo {
  int id;
  bool separator;
  std::string text;
  int image;  // in the toolbar's image list; I_IMAGENONE without an icon
};

struct TooltipInfo {
  HWND owner;   // the window the tool belongs to
  UINT_PTR id;  // a control's handle for TTF_IDISHWND tools
  RECT rect;
  bool idIsHwnd;
  std::string text;
};

class Program {
 public:
  explicit Program(const StartOptions& options = {});
  ~Program();  // closes the program, or ends it if it does not close
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD ProcessId() const { return process_.dwProcessId; }
  HWND Main() const { return main_; }
  // Waits for the program to end; its exit code, or nullopt on timeout.
  std::optional<DWORD> WaitForExit(DWORD milliseconds = 5000);
  bool Running() const;

  // ---- finding controls
  // Every descendant of the main window of a class (case-insensitive) and,
  // when text is given, with exactly that caption (buttons, labels and group
  // boxes; edit fields are found by their group box).
  std::vector<HWND> FindAll(const std::string& className,
                            const std::optional<std::string>& text = std::nullopt) const;
  // The one such control; fails the test when there is none or several.
  HWND Find(const std::string& className, const std::string& text) const;
  HWND GroupBox(const std::string& caption) const;
  // Controls lying inside a group box, top to bottom then left to right.
  std::vector<HWND> InGroup(const std::string& groupCaption, const std::string& className) const;
  // The control of a class and text inside a group box.
  HWND InGroup(const std::string& groupCaption, const std::string& className,
               const std::string& text) const;
  // The index-th edit field of a group box (top to bottom).
  HWND Edit(const std::string& groupCaption, size_t index = 0) const;
  HWND Combo() const;
  HWND StatusBar() const;
  HWND ToolBar() const;
  // The child of another window of the program (a top-level one such as
  // "Find Largest MTU") of a class and, when given, with exactly that caption.
  static HWND ChildOf(HWND window, const std::string& className,
                      const std::optional<std::string>& text = std::nullopt);
  // A control's rectangle in its parent's client coordinates.
  static RECT RectInParent(HWND control);

  // ---- acting (each waits until the program is idle again)
  void Click(HWND button);
  // Replaces the edit's text by typing it character by character (WM_CHAR),
  // the whole old text selected first.
  void Type(HWND edit, const std::string& text, bool replaceAll = true);
  void Pick(HWND combo, int index);
  void Command(int id);                     // a menu item or accelerator's command
  void ToolButton(int id);                  // a toolbar button
  void Key(int virtualKey, int times = 1);  // a key pressed in the main window
  // A key as the keyboard sends it: to the control with the focus, with Alt
  // held (WM_SYSKEYDOWN) when asked.
  void KeyToFocus(int virtualKey, bool alt = false);
  // What Windows 10 sends when the window moves to a monitor of another DPI,
  // with the rectangle it suggests.
  void DpiChanged(int dpi, const RECT& suggested);
  // A key pressed with Ctrl held, through the system's keyboard input to the
  // main window made the foreground window: a posted key carries no Ctrl.
  void CtrlKey(int virtualKey);
  void Close();  // the close box

  // ---- reading
  static bool Checked(HWND button);
  static bool Enabled(HWND control);
  static std::string Text(HWND control);
  static int ComboIndex(HWND combo);
  std::string StatusText() const;
  // The window with the keyboard focus in the program.
  HWND Focus() const;
  // A button's size for its caption in its own font (BCM_GETIDEALSIZE).
  SIZE IdealSize(HWND button) const;
  std::vector<ToolButtonInfo> ToolButtons() const;
  // The rows of a report list as it shows them: a text wider than its
  // column shows as far as it fits, then "...".
  std::vector<std::vector<std::string>> ListRowsAsShown(HWND list) const;
  // Every tool of every tooltip control of the program.
  std::vector<TooltipInfo> Tooltips() const;
  // Rests the mouse on a point of a window (client coordinates) and returns
  // the text of the tooltip that shows within `milliseconds`, or "" (any tip
  // showing before is closed first).
  std::string HoverTip(HWND window, POINT at, DWORD milliseconds = 3000) const;

  // ---- dialogs
  // The next visible dialog of the program (class #32770), or nullopt.
  std::optional<Dialog> WaitDialog(DWORD milliseconds = 5000) const;
  // Presses a button of the dialog (IDOK, IDYES, IDNO, ...) and waits until it
  // is gone.
  void Answer(const Dialog& dialog, int buttonId);
  // A visible top-level window of the program other than the main window
  // with that caption (the first-run notice, the about window).
  HWND WaitTopLevel(const std::string& caption, DWORD milliseconds = 5000) const;

  // Waits until the program has handled everything posted to it so far.
  void WaitIdle() const;

  // ---- list views of the program (their items live in its memory)
  std::string ListItemText(HWND list, int index) const;
  void SetListChecked(HWND list, int index, bool checked) const;

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

}  // namespace e2e
