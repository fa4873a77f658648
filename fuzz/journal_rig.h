// What the journal's fuzzers share: a machine in memory (registry, Win.ini,
// the platform of the native tests) and records that the writer made on it,
// for each family, with and without adapters.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "journal/journal.h"
#include "model/os_kind.h"
#include "native/fake_platform.h"
#include "store/memory_registry.h"

// The test platform's preview is never shown here; its summary lives with
// the dry run, which the journal's fuzzers do not take in.
inline std::string iz::PreviewReport::Summary() const { return std::string(); }

namespace fuzz {

inline const std::string kHistory = "C:\\Program Files\\Internet Zelvora\\Backup\\History";

struct Machine {
  iz::MemoryRegistry registry;
  iz::test::MemoryProfiles profiles;
  iz::test::FakePlatform platform;

  // An NT (XP) or 9x (98) machine; with adapters, two of them.
  Machine(bool nt, bool adapters) {
    platform.version = nt ? iz::test::WinXP() : iz::test::Win98();
    platform.directories = {"C:\\Program Files\\Internet Zelvora"};
    if (!adapters) return;
    if (nt) {
      for (const char* guid :
           {"{4D36E972-E325-11CE-BFC1-08002BE10318}", "{4D36E972-E325-11CE-BFC1-08002BE10319}"}) {
        registry.SetDword(iz::kHKLM, std::string(iz::map::kTcpipInterfacesKey) + "\\" + guid,
                          iz::map::kMTU, 1400);
      }
    } else {
      for (const char* instance : {"0003", "0004"}) {
        registry.SetRaw(iz::kHKLM, std::string(iz::map::kNetTransKey) + "\\" + instance,
                        iz::map::kMaxMTU, iz::kRegSz, {'5', '7', '6', 0});
      }
    }
  }
  // The newest record's text.
  std::string Newest() {
    std::string newest;
    for (const auto& [path, text] : platform.files) {
      if (path.rfind(kHistory + "\\", 0) == 0) newest = text;
    }
    return newest;
  }
};

// Sets each value of the parameter map (of the family given, or all) as the
// byte at its index (cycling through data) picks: left, a DWORD, a string,
// or binary bytes.
inline void Scribble(iz::MemoryRegistry& registry, const std::uint8_t* data, std::size_t size,
                     const iz::map::System* family = nullptr) {
  if (size == 0) return;
  std::size_t i = 0;
  for (const iz::map::Location& l : iz::map::kParameterMap) {
    if (family != nullptr && !iz::map::OfSystem(l, *family)) continue;
    const std::uint8_t b = data[i++ % size];
    switch (b % 4) {
      case 0:
        break;
      case 1:
        registry.SetDword(l.root, l.key, l.value, b * 977u);
        break;
      case 2:
        registry.SetRaw(l.root, l.key, l.value, iz::kRegSz,
                        {static_cast<std::uint8_t>('0' + b % 10), 0});
        break;
      default:
        registry.SetRaw(l.root, l.key, l.value, iz::kRegBinary, {b, static_cast<std::uint8_t>(i)});
    }
  }
}

}  // namespace fuzz
