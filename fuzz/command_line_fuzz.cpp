// The command line on any arguments (the input split at NUL bytes), run
// against a stock NT registry, Win.ini and files in memory:
//  - exit 2 exactly when the arguments are refused, and then nothing is
//    written: no registry value, no Win.ini entry, no file, no folder;
//  - the first line of a refusal, and some line of a failure (exit 1),
//    starts with the program's name;
//  - no other exit code.
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
  Check((code == iz::cli::kExitBadArguments) == !iz::cli::ParseArguments(args).ok());
  if (code == iz::cli::kExitBadArguments) {
    Check(registry.Dump() == registryBefore);
    Check(profiles.entries == entriesBefore);
    Check(platform.files == filesBefore);
    Check(platform.directories == foldersBefore);
    Check(!out.empty() && Named(out.front()));
  }
  if (code == iz::cli::kExitFailed) {
    bool named = false;
    for (const std::string& line : out) named = named || Named(line);
    Check(named);
  }
  return 0;
}
