// Which Windows the version record names, its display name, and the family
// every caller derives from it.
#include "model/os_kind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "native/fake_platform.h"

namespace iz {
namespace {

struct Case {
  bool ok;
  std::uint32_t platformId, major, minor;
  const char* csd;
  int kind;
  const char* name;
};

TEST(OSKind, MapsEveryVersionRecord) {
  const Case cases[] = {
      {true, 1, 4, 0, "", 0, "Windows 95"},
      {true, 1, 4, 0, " C", 0, "Windows 95"},
      {true, 1, 4, 10, " A ", 2, "Windows 98 Second Edition"},
      {true, 1, 4, 10, "xA", 2, "Windows 98 Second Edition"},  // only index 1 counts
      {true, 1, 4, 10, " B ", 1, "Windows 98"},
      {true, 1, 4, 10, "", 1, "Windows 98"},
      {true, 1, 4, 10, "A", 1, "Windows 98"},
      {true, 1, 4, 10, " a ", 1, "Windows 98"},
      {true, 1, 4, 90, "", 3, "Windows Millennium"},
      {true, 1, 4, 3, "", -1, "Unknown"},
      {true, 1, 5, 0, "", -1, "Unknown"},
      {true, 2, 3, 51, "", 4, "Windows NT 4.0"},
      {true, 2, 4, 0, "Service Pack 6", 4, "Windows NT 4.0"},
      {true, 2, 5, 0, "", 5, "Windows 2000"},
      {true, 2, 5, 1, "Service Pack 3", 6, "Windows XP"},
      {true, 2, 5, 2, "", 6, "Windows XP"},
      {true, 2, 5, 3, "", -1, "Unknown"},
      {true, 2, 6, 0, "", 7, "Windows Vista"},
      {true, 2, 6, 1, "Service Pack 1", 8, "Windows 7"},
      {true, 2, 6, 2, "", 9, "Windows 8"},
      {true, 2, 6, 3, "", -1, "Unknown"},
      {true, 2, 10, 0, "", -1, "Unknown"},
      {true, 0, 3, 10, "", -1, "Unknown"},  // Win32s
      {true, 3, 6, 1, "", -1, "Unknown"},
      {false, 2, 5, 1, "", -1, "Unknown"},  // the query failed
  };
  std::vector<std::string> expected, actual;
  for (const Case& c : cases) {
    test::FakePlatform platform;
    platform.versionOk = c.ok;
    platform.SetVersion(c.platformId, c.major, c.minor, c.csd);
    const std::string row = std::to_string(c.platformId) + " " + std::to_string(c.major) + "." +
                            std::to_string(c.minor) + " \"" + c.csd + "\"" +
                            (c.ok ? "" : " failed") + " -> ";
    expected.push_back(row + std::to_string(c.kind) + " " + c.name);
    const int kind = GetOSKind(platform);
    actual.push_back(row + std::to_string(kind) + " " + OSName(kind));
  }
  EXPECT_EQ(expected, actual);
}

}  // namespace
}  // namespace iz
