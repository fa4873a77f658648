#pragma once
// A main window over the in-memory registry, a real Win.ini in a temporary
// directory standing for "C:\WINDOWS", and the recording platform: the rig of
// the reading, restore and backup tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "native/fake_platform.h"
#include "native/temp_dir.h"
#include "shared/fakes.h"
#include "store/ini_profile.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz::test {

inline constexpr const char* kWindowsDir = "C:\\WINDOWS";

// One registry value to seed: a root, a key, a name, its type and bytes.
struct Seed {
  HKey root;
  const char* key;
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

inline Seed Sz(const char* key, const char* name, const std::string& text, HKey root = kHKLM) {
  return {root, key, name, kRegSz, StringBytes(text)};
}
inline Seed Dw(const char* key, const char* name, std::uint32_t value, HKey root = kHKLM) {
  return {root, key, name, kRegDword, DwordBytes(value)};
}
inline Seed Bin(const char* key, const char* name, std::vector<std::uint8_t> bytes) {
  return {kHKLM, key, name, kRegBinary, std::move(bytes)};
}

// Everything one run needs; a table-driven test makes a fresh one per row.
struct Rig {
  TempDir dir;
  MemoryRegistry registry;
  IniProfileStrings profiles{dir.Path(), kWindowsDir};
  FakePlatform platform;
  TIZelvora w{registry, profiles, platform};

  void SeedAll(const std::vector<Seed>& seeds) {
    for (const Seed& s : seeds) registry.SetRaw(s.root, s.key, s.name, s.type, s.data);
  }
  void SetPort(const char* port, const char* value) {
    profiles.WriteString(WinIni(), map::kSectionPorts, port, value);
  }
  std::string Port(const char* port) {
    return profiles.ReadString(WinIni(), map::kSectionPorts, port, "(none)");
  }
  static std::string WinIni() { return std::string(kWindowsDir) + map::kWinIniName; }

  // The whole registry as one comparable list.
  std::vector<MemoryRegistry::Entry> State() const { return registry.Dump(); }
};

class WindowTest : public ::testing::Test, public Rig {};

// The panel as the user sees it, for the controls named in expected: "customTtl=64"
// a field's text, "blackHoleDetect+" / "blackHoleDetect-" a box's state.
inline std::vector<std::string> Observe(const Panel& panel,
                                        const std::vector<std::string>& expected) {
  std::vector<std::string> seen;
  for (const std::string& e : expected) {
    const std::size_t eq = e.find('=');
    if (eq != std::string::npos) {
      seen.push_back(e.substr(0, eq + 1) + panel.FindEdit(e.substr(0, eq))->text);
    } else {
      const std::string name = e.substr(0, e.size() - 1);
      seen.push_back(name + (panel.FindBox(name)->checked ? "+" : "-"));
    }
  }
  return seen;
}

}  // namespace iz::test
