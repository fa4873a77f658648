// The OS detection on the real version query. Under Wine this test program
// runs with the prefix's default version, Windows 7 with Service Pack 1; the
// other versions are covered by starting the program itself (tests/e2e).
#include <gtest/gtest.h>

#include "model/os_kind.h"
#include "win32/win.h"
#include "win32/win32_platform.h"

namespace {

TEST(OsDetectWin, RealVersionQueryGivesWindows7UnderWinesDefault) {
  iz::win32::Win32Platform platform;
  iz::VersionInfo v;
  ASSERT_TRUE(platform.GetVersion(v));
  EXPECT_EQ(v.platformId, iz::kVerPlatformWin32NT);
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_EQ(v.csdVersion, "Service Pack 1");

  // The extended record's product type: a workstation, so the client's name.
  EXPECT_EQ(v.productType, iz::kProductWorkstation);
  EXPECT_EQ(v.build, 7601u);

  const int kind = iz::GetOSKind(platform);
  EXPECT_EQ(kind, 8);
  EXPECT_STREQ(iz::OSName(kind), "Windows 7");
  const iz::RunningWindows running = iz::GetRunningWindows(platform);
  EXPECT_FALSE(running.server);
  EXPECT_EQ(iz::WindowsName(running), "Windows 7");
}

}  // namespace
