#pragma once
// The second front end: the program run with arguments does one thing
// without a window (export a profile as a .reg file, optimize, undo, find
// the largest MTU) and reports on the console it was started from. It shares
// everything with the window below win32/: the same handlers fill the panel,
// the same appliers and writers run.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/platform.h"
#include "modern/tcp_settings.h"
#include "mtu/mtu_search.h"
#include "preview/dry_run.h"
#include "profiles/profile_table.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz::cli {

// The exit codes, for scripts.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;        // the command ran and failed
inline constexpr int kExitBadArguments = 2;  // nothing was done

enum class Action { Usage, Export, Optimize, Undo, FindMtu, Preview, Tcp };

struct Arguments {
  Action action = Action::Usage;
  std::string file;  // /export
  std::string host;  // /findmtu
  // /tcp: the NAME=VALUE pairs, names and values in lower case; with
  // /script FILE they are written to a startup script instead of set, and
  // /undo /script FILE writes the script that puts them back. /log PATH is
  // the script's log on the machine it runs on; empty for the default.
  std::vector<TcpValue> tcpValues;
  std::string script;
  std::string log;
  ConnectionType type = ConnectionType::Modem;
  Method method = Method::Automatic1;
  // /export only, as /family nt, 9x or 95: a kind of Windows whose Optimize
  // writes what the file holds; the running one when absent.
  std::optional<int> kind;
};

struct ParsedArguments {
  Arguments arguments;
  std::string error;  // empty: the arguments are good
  bool ok() const { return error.empty(); }
};

// The arguments after the program's name. Switches begin with '/' or '-'
// and are matched without regard to case; each may be given once. Whatever
// begins with either character is a switch, never a value, so that a value
// left out is reported rather than filled by the next switch.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

extern const char* const kUsage;

// One line of output (without its line break) for the console.
using Print = std::function<void(const std::string&)>;

// The TCP settings' access for /tcp on a kind of Windows; netsh when unset.
using OpenTcpAccess = std::function<std::unique_ptr<TcpSettingsAccess>(int kind)>;

// Runs the arguments and returns the exit code. Bad arguments print the
// reason and the usage and change nothing. /findmtu sends its echoes through
// the probes that openProbe opens.
int RunCommandLine(const std::vector<std::string>& args, RawRegistry& registry,
                   ProfileStrings& profiles, Platform& platform, const Print& print,
                   const mtu::OpenProbe& openProbe = {}, const OpenTcpAccess& openTcp = {});

}  // namespace iz::cli
