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
  std::uint32_t build;
  int kind;
  const char* name;
};

TEST(OSKind, MapsEveryVersionRecord) {
  const Case cases[] = {
      {true, 1, 4, 0, "", 0, 0, "Windows 95"},
      {true, 1, 4, 0, " C", 0, 0, "Windows 95"},
      {true, 1, 4, 10, " A ", 0, 2, "Windows 98 Second Edition"},
      {true, 1, 4, 10, "xA", 0, 2, "Windows 98 Second Edition"},  // only index 1 counts
      {true, 1, 4, 10, " B ", 0, 1, "Windows 98"},
      {true, 1, 4, 10, "", 0, 1, "Windows 98"},
      {true, 1, 4, 10, "A", 0, 1, "Windows 98"},
      {true, 1, 4, 10, " a ", 0, 1, "Windows 98"},
      {true, 1, 4, 90, "", 0, 3, "Windows Millennium"},
      {true, 1, 4, 3, "", 0, -1, "Unknown"},
      {true, 1, 5, 0, "", 0, -1, "Unknown"},
      {true, 2, 3, 51, "", 0, 4, "Windows NT 4.0"},
      {true, 2, 4, 0, "Service Pack 6", 0, 4, "Windows NT 4.0"},
      {true, 2, 5, 0, "", 0, 5, "Windows 2000"},
      {true, 2, 5, 1, "Service Pack 3", 0, 6, "Windows XP"},
      {true, 2, 5, 2, "", 0, 6, "Windows XP"},
      {true, 2, 5, 3, "", 0, -1, "Unknown"},
      {true, 2, 6, 0, "", 0, 7, "Windows Vista"},
      {true, 2, 6, 1, "Service Pack 1", 0, 8, "Windows 7"},
      {true, 2, 6, 2, "", 0, 9, "Windows 8"},
      {true, 2, 6, 3, "", 0, 10, "Windows 8.1"},
      {true, 2, 6, 4, "", 0, -1, "Unknown"},
      {true, 2, 10, 0, "", 19045, 11, "Windows 10"},
      {true, 2, 10, 0, "", 21999, 11, "Windows 10"},
      {true, 2, 10, 0, "", 22000, 12, "Windows 11"},  // 11 by its build alone
      {true, 2, 10, 0, "", 26100, 12, "Windows 11"},
      {true, 2, 10, 1, "", 30000, 13, "Windows 10.1"},
      {true, 2, 12, 0, "", 0, 13, "Windows 12.0"},
      {true, 1, 10, 0, "", 22000, -1, "Unknown"},  // not the NT family
      {true, 0, 3, 10, "", 0, -1, "Unknown"},  // Win32s
      {true, 3, 6, 1, "", 0, -1, "Unknown"},
      {false, 2, 5, 1, "", 0, -1, "Unknown"},  // the query failed
  };
  std::vector<std::string> expected, actual;
  for (const Case& c : cases) {
    test::FakePlatform platform;
    platform.versionOk = c.ok;
    platform.SetVersion(c.platformId, c.major, c.minor, c.csd, c.build);
    const std::string row = std::to_string(c.platformId) + " " + std::to_string(c.major) + "." +
                            std::to_string(c.minor) + "." + std::to_string(c.build) + " \"" +
                            c.csd + "\"" +
                            (c.ok ? "" : " failed") + " -> ";
    expected.push_back(row + std::to_string(c.kind) + " " + c.name);
    const int kind = GetOSKind(platform);
    actual.push_back(row + std::to_string(kind) + " " + SystemName(platform));
    EXPECT_EQ(IsNTFamily(kind), c.platformId == 2 && c.ok && kind != kUnknown) << row;
  }
  EXPECT_EQ(expected, actual);
}

// A server edition keeps its client's kind and family but has its own name,
// told by version and build; a workstation of the same version, and a
// system that does not say, is the client.
TEST(OSKind, NamesServerEditionsByVersionAndBuild) {
  const struct {
    std::uint32_t major, minor, build;
    std::uint8_t productType;
    int kind;
    bool server;
    const char* name;
  } cases[] = {
      {5, 2, 3790, kProductServer, kWinXP, true, "Windows Server 2003"},
      {5, 2, 3790, kProductWorkstation, kWinXP, false, "Windows XP"},  // XP x64
      {6, 0, 6002, kProductServer, kWinVista, true, "Windows Server 2008"},
      {6, 0, 6002, 0, kWinVista, false, "Windows Vista"},
      {6, 1, 7601, kProductDomainController, kWin7, true, "Windows Server 2008 R2"},
      {6, 1, 7601, kProductWorkstation, kWin7, false, "Windows 7"},
      {6, 2, 9200, kProductServer, kWin8, true, "Windows Server 2012"},
      {6, 3, 9600, kProductServer, kWin81, true, "Windows Server 2012 R2"},
      {10, 0, 14393, kProductServer, kWin10, true, "Windows Server 2016"},
      {10, 0, 17763, kProductServer, kWin10, true, "Windows Server 2019"},
      {10, 0, 20348, kProductServer, kWin10, true, "Windows Server 2022"},
      {10, 0, 26100, kProductServer, kWin11, true, "Windows Server 2025"},
      {10, 0, 26100, kProductWorkstation, kWin11, false, "Windows 11"},
      {5, 0, 2195, kProductServer, kWin2000, true, "Windows 2000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakePlatform platform;
    platform.version = VersionInfo{kVerPlatformWin32NT, c.major, c.minor, "", c.build, c.productType};
    const RunningWindows w = GetRunningWindows(platform);
    EXPECT_EQ(w.kind, c.kind);
    EXPECT_EQ(w.build, c.build);
    EXPECT_EQ(w.server, c.server);
    EXPECT_EQ(SystemName(platform), c.name);
    EXPECT_EQ(WindowsName(w), c.name);
    EXPECT_TRUE(IsNTFamily(w.kind));
  }
}

}  // namespace
}  // namespace iz
