// The command line on any arguments (the input split at NUL bytes), run
// against a stock NT registry, Win.ini and files in memory, as XP or one of
// Vista to 11 (by the input's length), with the stand-in netsh:
//  - exit 2 when the arguments are refused, or the `/tcp` values by the
//    Windows it runs as, and then nothing is
//    written: no registry value, no Win.ini entry, no file, no folder;
//  - the first line of a refusal, and some line of a failure (exit 1),
//    starts with the program's name;
//  - no other exit code;
//  - `/tcp` with values leaves netsh's settings as they were unless it exits
//    0, and then every value asked is in force.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "fuzz/fuzz_check.h"
#include "mtu/mtu_search.h"
#include "native/fake_platform.h"
#include "shared/netsh_standin.h"
#include "shared/fakes.h"
#include "store/memory_registry.h"

namespace {

using fuzz::Check;

bool Named(const std::string& line) { return line.rfind("Internet Zelvora: ", 0) == 0; }

// A path of a fixed MTU whose host answers unless its name starts with 's'.
struct Path : iz::mtu::EchoProbe {
  bool answers = true;
  iz::mtu::EchoAnswer Echo(int payload) override {
    if (!answers) return iz::mtu::EchoAnswer::NoAnswer;
    return payload + iz::mtu::kEchoOverhead <= 1400 ? iz::mtu::EchoAnswer::Passed
                                                    : iz::mtu::EchoAnswer::TooBig;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size && args.size() <= 12; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  if (size == 0) args.clear();

  iz::MemoryRegistry registry;
  iz::test::SeedStockNT(registry);
  registry.CreateKeyPath(iz::kHKCU, iz::map::kInternetSettingsKey);
  iz::test::MemoryProfiles profiles;
  iz::test::FakePlatform platform;
  // XP, which has no netsh settings, and every Windows that has.
  const iz::VersionInfo kWindows[] = {
      iz::test::WinXP(),          {iz::kVerPlatformWin32NT, 6, 0, "", 6002},
      {iz::kVerPlatformWin32NT, 6, 1, "", 7601},  {iz::kVerPlatformWin32NT, 6, 2, "", 9200},
      {iz::kVerPlatformWin32NT, 6, 3, "", 9600},  {iz::kVerPlatformWin32NT, 10, 0, "", 19045},
      {iz::kVerPlatformWin32NT, 10, 0, "", 22631}};
  platform.version = kWindows[size % (sizeof kWindows / sizeof kWindows[0])];
  iz::test::NetshState netsh = iz::test::FreshNetsh(
      platform.version.major > 6 || (platform.version.major == 6 && platform.version.minor >= 2));
  platform.runHidden = [&](const std::string&, const std::string& arguments,
                           std::uint32_t* code, std::string* output) {
    *code = static_cast<std::uint32_t>(iz::test::RunNetsh(
        netsh, arguments, output, [&platform](const std::string& path, std::string* text) {
          const auto f = platform.files.find(path);
          if (f == platform.files.end()) return false;
          *text = f->second;
          return true;
        }));
    return true;
  };
  const auto netshBefore = netsh.values;
  const auto registryBefore = registry.Dump();
  const auto entriesBefore = profiles.entries;
  const auto filesBefore = platform.files;
  const auto foldersBefore = platform.directories;

  std::vector<std::string> out;
  const iz::mtu::OpenProbe open = [](const std::string& host) {
    auto path = std::make_unique<Path>();
    path->answers = host.empty() || host[0] != 's';
    return std::unique_ptr<iz::mtu::EchoProbe>(std::move(path));
  };
  const int code = iz::cli::RunCommandLine(
      args, registry, profiles, platform, [&out](const std::string& line) { out.push_back(line); },
      open);

  Check(code == iz::cli::kExitOk || code == iz::cli::kExitFailed ||
        code == iz::cli::kExitBadArguments);
  // Refused by the parser, or `/tcp` values the running Windows does not take.
  const iz::cli::ParsedArguments parsed = iz::cli::ParseArguments(args);
  Check(parsed.ok() || code == iz::cli::kExitBadArguments);
  if (parsed.ok() && code == iz::cli::kExitBadArguments)
    Check(parsed.arguments.action == iz::cli::Action::Tcp && !parsed.arguments.tcpValues.empty());
  if (code == iz::cli::kExitBadArguments) {
    Check(registry.Dump() == registryBefore);
    Check(profiles.entries == entriesBefore);
    Check(platform.files == filesBefore);
    Check(platform.directories == foldersBefore);
    Check(!out.empty() && Named(out.front()));
  }
  if (parsed.ok() && parsed.arguments.action == iz::cli::Action::Tcp) {
    if (code != iz::cli::kExitOk) Check(netsh.values == netshBefore);
    if (code == iz::cli::kExitOk && parsed.arguments.script.empty())
      for (const iz::TcpValue& v : parsed.arguments.tcpValues) {
        const std::string* now = netsh.Get(v.name);
        Check(now != nullptr && *now == v.value);
      }
  }
  if (code == iz::cli::kExitFailed) {
    bool named = false;
    for (const std::string& line : out) named = named || Named(line);
    Check(named);
  }
  return 0;
}
