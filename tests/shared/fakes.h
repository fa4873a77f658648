#pragma once
// The test doubles every test and benchmark shares: Win.ini in memory, a
// registry decorator to build recorders and counters on, the version records
// of the Windows the program knows, and the keys of a stock installation.
#include <cctype>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/platform.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz::test {

// Win.ini in memory, entries by lower-case "section]key": it never fails nor
// waits for the disk, and a test sees every entry written.
class MemoryProfiles : public ProfileStrings {
 public:
  std::map<std::string, std::string> entries;

  bool WriteString(const std::string&, const std::string& section, const std::string& key,
                   const std::string& value) override {
    entries[Lower(section + "]" + key)] = value;
    return true;
  }
  bool RemoveString(const std::string&, const std::string& section,
                    const std::string& key) override {
    entries.erase(Lower(section + "]" + key));
    return true;
  }
  std::string ReadString(const std::string&, const std::string& section, const std::string& key,
                         const std::string& defaultText) override {
    const auto it = entries.find(Lower(section + "]" + key));
    return it == entries.end() ? defaultText : it->second;
  }
  // Only entries are kept, so a section exists while it holds one.
  bool RemoveSection(const std::string&, const std::string& section) override {
    const std::string head = Lower(section + "]");
    for (auto it = entries.begin(); it != entries.end();) {
      it = it->first.compare(0, head.size(), head) == 0 ? entries.erase(it) : std::next(it);
    }
    return true;
  }
  std::vector<std::string> SectionNames(const std::string&) override {
    std::vector<std::string> names;
    for (const auto& [key, value] : entries) {
      const std::string name = key.substr(0, key.find(']'));
      if (names.empty() || names.back() != name) names.push_back(name);
    }
    return names;
  }
  std::vector<std::string> KeyNames(const std::string&, const std::string& section) override {
    const std::string head = Lower(section + "]");
    std::vector<std::string> names;
    for (const auto& [key, value] : entries) {
      if (key.compare(0, head.size(), head) == 0) names.push_back(key.substr(head.size()));
    }
    return names;
  }
  void Flush(const std::string&) override {}
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }

 private:
  static std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }
};

// Passes every call on to the registry below; a recorder or a counter
// overrides the calls it looks at and calls the base for the rest.
class ForwardingRegistry : public RawRegistry {
 public:
  explicit ForwardingRegistry(RawRegistry& inner) : inner_(inner) {}

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
               HKey* result) override {
    return inner_.OpenKey(parent, subKey, access, result);
  }
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    return inner_.CreateKey(parent, subKey, access, result);
  }
  long CloseKey(HKey key) override { return inner_.CloseKey(key); }
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const void* data,
                std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                  std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override {
    return inner_.DeleteValue(key, name);
  }
  long QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) override {
    return inner_.QueryKeyCounts(key, subKeys, values);
  }
  long DeleteKey(HKey parent, const std::string& subKey) override {
    return inner_.DeleteKey(parent, subKey);
  }
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override {
    return inner_.EnumKey(key, index, name);
  }

 private:
  RawRegistry& inner_;
};

// The version records as each Windows reports them (98 SE: by its " A ").
inline VersionInfo Win95() { return {kVerPlatformWin32Windows, 4, 0, ""}; }
inline VersionInfo Win98() { return {kVerPlatformWin32Windows, 4, 10, ""}; }
inline VersionInfo Win98SE() { return {kVerPlatformWin32Windows, 4, 10, " A "}; }
inline VersionInfo WinMe() { return {kVerPlatformWin32Windows, 4, 90, ""}; }
inline VersionInfo Unknown9x() { return {kVerPlatformWin32Windows, 4, 50, ""}; }
inline VersionInfo WinNT4() { return {kVerPlatformWin32NT, 4, 0, "Service Pack 6"}; }
inline VersionInfo WinXP() { return {kVerPlatformWin32NT, 5, 1, "Service Pack 3"}; }

// The keys every installed system of the family has before the program ran.
inline void SeedStockNT(MemoryRegistry& registry) {
  registry.CreateKeyPath(kHKLM, map::kTcpipParametersKey);
  registry.CreateKeyPath(kHKLM, map::kNetbtParametersKey);
  registry.CreateKeyPath(kHKCU, map::kInternetSettingsUpperKey);
}
inline void SeedStock9x(MemoryRegistry& registry) {
  registry.CreateKeyPath(kHKLM, map::kMstcpKey);
  registry.CreateKeyPath(kHKCU, map::kInternetSettingsUpperKey);
}

}  // namespace iz::test
