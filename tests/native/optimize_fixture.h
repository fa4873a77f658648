#pragma once
// The rig of the Optimize tests: a main window over the in-memory registry
// seen through a recorder that keeps every value written in order, a real
// Win.ini in a temporary directory standing for "C:\WINDOWS", and the
// recording platform.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "native/fake_platform.h"
#include "native/temp_dir.h"
#include "shared/fakes.h"
#include "store/ini_profile.h"
#include "store/memory_registry.h"

namespace iz::optimize_test {

using namespace test;

// Passes every call on to the registry below; each value that was written
// successfully is kept as one line, with the key path as the callers spelled
// it, so the order and the spelling of the writes are both visible:
//   HKLM SYSTEM\CCS\Services\Tcpip\Parameters [DefaultTTL] = dword 64
// ("CCS" stands for CurrentControlSet to keep the tables short).
class WriteRecorder : public test::ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  std::vector<std::string> writes;

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
               HKey* result) override {
    return Track(parent, subKey, ForwardingRegistry::OpenKey(parent, subKey, access, result),
                 result);
  }
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    return Track(parent, subKey, ForwardingRegistry::CreateKey(parent, subKey, access, result),
                 result);
  }
  long CloseKey(HKey key) override {
    paths_.erase(key);
    return ForwardingRegistry::CloseKey(key);
  }
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const void* data,
                std::uint32_t size) override {
    const long status = ForwardingRegistry::SetValue(key, name, type, data, size);
    if (status == kRegOk) {
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      writes.push_back(PathOf(key) + " [" + name +
                       "] = " + Render(type, std::vector<std::uint8_t>(bytes, bytes + size)));
    }
    return status;
  }

  // "dword 64", "sz \"1500\"", "bin 01"; anything not in the exact shape of
  // its type (a string without its one NUL, a DWORD not of 4 bytes) is shown
  // as its type number and raw bytes, so it never matches a table row.
  static std::string Render(std::uint32_t type, const std::vector<std::uint8_t>& d) {
    if (type == kRegDword && d.size() == 4) {
      return "dword " +
             std::to_string(d[0] | d[1] << 8 | d[2] << 16 | static_cast<std::uint32_t>(d[3]) << 24);
    }
    if (type == kRegSz && !d.empty() && d.back() == 0) {
      const std::string text(d.begin(), d.end() - 1);
      if (text.find('\0') == std::string::npos) return "sz \"" + text + "\"";
    }
    std::string out = type == kRegBinary ? "bin" : "type " + std::to_string(type);
    for (std::uint8_t b : d) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02x", b);
      out += hex;
    }
    return out;
  }

 private:
  std::string PathOf(HKey key) const {
    if (key == kHKLM) return "HKLM";
    if (key == kHKCU) return "HKCU";
    auto it = paths_.find(key);
    return it == paths_.end() ? "?" : it->second;
  }
  long Track(HKey parent, const std::string& subKey, long status, HKey* result) {
    if (status == kRegOk && result) {
      std::string path =
          PathOf(parent) + (parent == kHKLM || parent == kHKCU ? " " : "\\") + subKey;
      const std::string full = "CurrentControlSet";
      for (auto at = path.find(full); at != std::string::npos; at = path.find(full)) {
        path.replace(at, full.size(), "CCS");
      }
      paths_[*result] = path;
    }
    return status;
  }

  std::map<HKey, std::string> paths_;
};

// Everything one run needs; table-driven tests make a fresh one per row.
struct Rig {
  TempDir dir;
  MemoryRegistry registry;
  WriteRecorder recorder{registry};
  IniProfileStrings profiles{dir.Path(), "C:\\WINDOWS"};
  test::FakePlatform platform;
  TIZelvora w{recorder, profiles, platform};

  // Every installed Windows has the browser's key; the appliers never
  // create it.
  explicit Rig(const VersionInfo& version = WinXP()) {
    platform.version = version;
    registry.CreateKeyPath(kHKCU, map::kInternetSettingsKey);
  }

  void Click(CheckBoxCtl& box) { w.Click(box); }
  // Custom Mode with every independent box cleared and the fields as given.
  void CustomClearedPanel() {
    w.Click(w.customMode);
    for (CheckBoxCtl* box : w.Boxes()) {
      if (box->group == Group::kIndependent) w.SetChecked(*box, false);
    }
  }

  // Win.ini as a file, "" when it was never written.
  std::string WinIni() const {
    std::ifstream in(profiles.RealPath("C:\\WINDOWS\\Win.ini"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

// The Ports section as the appliers leave it in a Win.ini that had none.
inline constexpr const char* kOptimizedPortsIni =
    "[Ports]\r\n"
    "COM1:=921600,n,8,1,p\r\n"
    "COM2:=921600,n,8,1,p\r\n"
    "COM3:=921600,n,8,1,p\r\n"
    "COM4:=921600,n,8,1,p\r\n"
    "COM5:=921600,n,8,1,p\r\n";

}  // namespace iz::optimize_test
