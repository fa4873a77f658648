#pragma once
// The TCP settings read and set through netsh.exe, run hidden from the
// system folder by its full path. One Read is one run; one Write is one run
// of a `-f` script, and when netsh refuses a line, one more that reads what
// took and puts back the values read before, so that an Apply (read, write,
// read) runs netsh three times whatever the number of settings.
#include <cstdint>
#include <string>
#include <vector>

#include "model/os_kind.h"
#include "model/platform.h"
#include "modern/tcp_settings.h"

namespace iz {

// A run of netsh that takes longer is ended, with every process it started;
// one that prints more is ended too (its answers are a few kilobytes).
inline constexpr std::uint32_t kNetshTimeoutMs = 30000;
inline constexpr std::size_t kNetshMaxOutput = 1 << 20;
inline constexpr const char* kNetshTimedOut =
    "netsh did not finish within 30 s; nothing was changed.";
inline constexpr const char* kNetshTooMuchOutput =
    "netsh printed more than 1 MiB, which no answer of its own is; nothing was changed.";

// One run of netsh, kept: what it was given, its exit code and its output.
struct NetshRun {
  std::string arguments;
  std::uint32_t exitCode = 0;
  std::string output;
};

class NetshAccess : public TcpSettingsAccess {
 public:
  // scriptFolder: a folder only administrators may write to, where the
  // `-f` script lives while netsh runs (the elevated netsh must not run a
  // script that another account could swap).
  NetshAccess(Platform& platform, const RunningWindows& windows, std::string scriptFolder);

  bool Read(const std::vector<std::string>& names, std::vector<TcpValue>* values,
            std::string* error) override;
  bool Write(const std::vector<TcpValue>& values, std::string* error) override;

  // Every run so far, oldest first.
  const std::vector<NetshRun>& Runs() const { return runs_; }

 private:
  bool Run(const std::string& arguments, NetshRun* run, std::string* error);
  bool RunScript(const std::string& script, NetshRun* run, std::string* error);

  Platform& platform_;
  RunningWindows windows_;
  std::string scriptFolder_;
  std::vector<NetshRun> runs_;
  std::vector<TcpValue> known_;  // the last values read, for a put-back
};

}  // namespace iz
