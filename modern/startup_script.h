#pragma once
// The batch file that carries TCP settings to many machines as a startup
// script: one file for every Windows from Vista on. It finds the running
// Windows itself and runs only the netsh lines that Windows accepts, all or
// none, keeping the settings from before its first run so that they can be
// put back on the machine. Pure text; nothing here runs anything.
#include <cstdint>
#include <string>
#include <vector>

#include "model/os_kind.h"
#include "modern/tcp_settings.h"

namespace iz {

// A Windows version as the registry gives it: CurrentMajorVersionNumber and
// CurrentMinorVersionNumber (10 and later) or CurrentVersion ("6.1"), and
// CurrentBuildNumber.
struct WindowsVersion {
  std::uint32_t major = 0, minor = 0, build = 0;
};

enum class WindowsEdition { Any, Workstation, Server };

// The Windows one section of the script is for: the versions from first to
// last, both included, and the settings table's key for them.
struct ScriptTarget {
  std::string name;         // "Windows 7", "Windows 10 build 15063 to 16298", for the log
  RunningWindows windows;   // what the table's functions take for these Windows
  WindowsVersion first, last;
  WindowsEdition edition = WindowsEdition::Any;
};

// Every Windows the settings table knows, oldest first, each with a section
// of its own: Vista, 7, 8, 8.1, 10, and 11 with those after it, each split
// where the table's rows change with the build. The editions share a
// section: they differ in defaults only, which a script does not write.
std::vector<ScriptTarget> ScriptTargets();

// The empty text when at least one target takes the value and the script
// can carry it, else why not: no target has the name, none takes the value,
// or a connection name the batch file cannot quote.
std::string CheckScriptValue(const std::vector<ScriptTarget>& targets, const TcpValue& value);
// The same for the log's path (empty: the default one).
std::string CheckScriptLogPath(const std::string& path);

// The script that sets the values on each target as that target accepts
// them; the log goes to logPath, or to the default when it is empty.
std::string StartupScript(const std::vector<ScriptTarget>& targets,
                          const std::vector<TcpValue>& values, const std::string& logPath);
// The script that puts back the settings saved before the first run of
// StartupScript's script on the machine.
std::string UndoStartupScript(const std::string& logPath);

// The script's exit codes.
inline constexpr int kScriptDone = 0;
inline constexpr int kScriptPutBack = 1;        // a setting failed; all put back
inline constexpr int kScriptPutBackFailed = 2;  // ... and putting back failed too
inline constexpr int kScriptNotAdmin = 3;
inline constexpr int kScriptOldWindows = 4;     // before Vista, or no section for it
inline constexpr int kScriptCannotSave = 5;     // nothing changed
inline constexpr int kScriptNothingSaved = 6;   // the undo script: no saved settings

}  // namespace iz
