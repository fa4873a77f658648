// The main window's life: start-up in its order, a failing step, the end of
// the window, leaving, and the general error report.
#include <string>
#include <vector>

#include "native/panel_fixture.h"
#include "store/error.h"

namespace iz::test {
namespace {

constexpr const char* kTcpip = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kOwnKey = "SOFTWARE\\Internet Zelvora";

// Notes how far the registry traffic had got when theming was applied, so
// the order of the steps can be checked.
class StartupPlatform : public FakePlatform {
 public:
  explicit StartupPlatform(const MemoryRegistry& registry) : registry_(registry) {}
  std::size_t callsAtTheming = 0;
  void ApplyTheming() override {
    callsAtTheming = registry_.CallLog().size();
    FakePlatform::ApplyTheming();
  }

 private:
  const MemoryRegistry& registry_;
};

class StartupTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  MemoryProfiles profiles;
  StartupPlatform platform{registry};

  void SetUp() override {
    // A TTL for each family, so the panel shows which reader ran.
    registry.SetDword(kHKLM, kTcpip, "DefaultTTL", 64);
    registry.SetString(kHKLM, kMstcp, "DefaultTTL", "32");
    registry.SetString(kHKCU, kOwnKey, "FirstUse", "0");
  }
  int RegistryWrites() const {
    int writes = 0;
    for (const std::string& line : registry.CallLog()) {
      if (line.rfind("SetValue", 0) == 0 || line.rfind("DeleteValue", 0) == 0) ++writes;
    }
    return writes;
  }
};

TEST_F(StartupTest, StatusLineAndFirstReadingFollowTheDetectedSystem) {
  struct Case {
    std::uint32_t platformId, major, minor;
    const char* csd;
    const char* status;
    const char* ttlShown;  // "32": the 9x reader ran; "64": the NT reader
  };
  const Case cases[] = {
      {1, 4, 3, "", " Operating System: Unknown", "32"},
      {1, 4, 0, "", " Operating System: Windows 95", "32"},
      {1, 4, 10, " B ", " Operating System: Windows 98", "32"},
      {1, 4, 10, " A ", " Operating System: Windows 98 Second Edition", "32"},
      {1, 4, 90, "", " Operating System: Windows Millennium", "32"},
      {2, 4, 0, "", " Operating System: Windows NT 4.0", "64"},
      {2, 5, 0, "", " Operating System: Windows 2000", "64"},
      {2, 5, 1, "", " Operating System: Windows XP", "64"},
      {2, 6, 0, "", " Operating System: Windows Vista", "64"},
      {2, 6, 1, "", " Operating System: Windows 7", "64"},
      {2, 6, 2, "", " Operating System: Windows 8", "64"},
      {2, 6, 3, "", " Operating System: Windows 8.1", "64"},
      {2, 10, 0, "", " Operating System: Windows 10", "64"},
      {2, 5, 3, "", " Operating System: Unknown", "32"},
  };
  for (const Case& c : cases) {
    platform.SetVersion(c.platformId, c.major, c.minor, c.csd);
    TIZelvora w(registry, profiles, platform);
    w.Dispatch([&] { w.OnCreate(); });
    EXPECT_EQ(c.status, w.StatusText);
    EXPECT_TRUE(w.StatusSimple && w.StatusBold) << c.status;
    EXPECT_EQ(c.ttlShown, w.customTtl.text) << c.status;
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(0, platform.noticesShown);
}

TEST_F(StartupTest, NoticeThenStatusAndThemingThenTheReading) {
  registry.SetString(kHKCU, kOwnKey, "FirstUse", "1");
  TIZelvora w(registry, profiles, platform);
  w.OnCreate();
  EXPECT_EQ((std::vector<std::string>{"ShowFirstRunNotice", "ApplyTheming"}), platform.calls);
  // The first-use flag is read and stored before theming, the settings are
  // read after it.
  const std::vector<std::string>& log = registry.CallLog();
  int ownKeyCalls = 0, readingCalls = 0;
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (log[i].find("[FirstUse]") != std::string::npos) {
      ++ownKeyCalls;
      EXPECT_LT(i, platform.callsAtTheming) << log[i];
    }
    if (log[i].find("Tcpip") != std::string::npos) {
      ++readingCalls;
      EXPECT_GE(i, platform.callsAtTheming) << log[i];
    }
  }
  EXPECT_GT(ownKeyCalls, 0);
  EXPECT_GT(readingCalls, 0);
  const MemoryRegistry::Value shown{kRegSz, StringBytes("0")};
  EXPECT_EQ(shown, registry.Get(kHKCU, kOwnKey, "FirstUse"));
  EXPECT_EQ("64", w.customTtl.text);
}

TEST_F(StartupTest, AFailingFirstStepSkipsTheRestAndIsReported) {
  // A first-use flag of the wrong type makes the store raise its error.
  registry.SetDword(kHKCU, kOwnKey, "FirstUse", 1);
  TIZelvora w(registry, profiles, platform);
  const PanelState fresh = Capture(w);
  w.Dispatch([&] { w.OnCreate(); });

  ASSERT_EQ(1u, platform.messages.size());
  EXPECT_EQ("Invalid data type for 'FirstUse'", platform.messages[0].text);
  EXPECT_EQ("Internet Zelvora 2.19", platform.messages[0].caption);
  EXPECT_EQ(MsgIcon::Error, platform.messages[0].icon);
  EXPECT_EQ(MsgButtons::Ok, platform.messages[0].buttons);
  EXPECT_EQ(0, platform.noticesShown);
  EXPECT_EQ("", w.StatusText);
  EXPECT_FALSE(w.StatusSimple);
  EXPECT_EQ(fresh, Capture(w)) << "the settings were not read";
}

TEST_F(StartupTest, AFailingReadingKeepsWhatWasDoneBeforeIt) {
  // A two-byte SLOWNET cannot be read into its one-byte flag.
  registry.SetRaw(kHKLM, "System\\CurrentControlSet\\Services\\Class\\Net\\0000", "SLOWNET",
                  kRegBinary, {0, 0});
  TIZelvora w(registry, profiles, platform);
  w.Dispatch([&] { w.OnCreate(); });
  ASSERT_EQ(1u, platform.messages.size());
  EXPECT_EQ("Invalid data type for 'SLOWNET'", platform.messages[0].text);
  EXPECT_EQ(" Operating System: Windows XP", w.StatusText);
  EXPECT_EQ("64", w.customTtl.text) << "the steps before the failure stay done";
}

TEST_F(StartupTest, LeavingAsksTheApplicationAndWritesNothing) {
  TIZelvora w(registry, profiles, platform);
  w.OnCreate();
  const int writesAfterStart = RegistryWrites();
  platform.calls.clear();

  w.OnExit();
  EXPECT_EQ((std::vector<std::string>{"CloseMainWindow"}), platform.calls);
  EXPECT_EQ(writesAfterStart, RegistryWrites());
  EXPECT_TRUE(profiles.entries.empty());
}

TEST(ErrorReport, AFullStopFollowsALastCharacterThatSortsAfterIt) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Failed to create key System\\X", "Failed to create key System\\X."},
      {"Failed to set data for 'MTU'", "Failed to set data for 'MTU'"},
      {"Unable to write to C:\\WINDOWS\\Win.ini", "Unable to write to C:\\WINDOWS\\Win.ini."},
      {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
      {"ends in 7", "ends in 7."},
      {"ends in a full stop.", "ends in a full stop."},
      {"ends in a slash/", "ends in a slash/."},
      {"ends in a dash-", "ends in a dash-"},
      {"ends in a blank ", "ends in a blank "},
      {"ends in a bracket)", "ends in a bracket)"},
      {"ends in an accent \xe9", "ends in an accent \xe9."},  // compared unsigned
      {"", ""},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(shown, TIZelvora::ErrorReportText(text)) << '"' << text << '"';
  }
}

TEST_F(PanelTest, AnErrorEndingAHandlerIsShownOnceWithTheTitleAndErrorIcon) {
  w.Dispatch([] { throw Error("Failed to get data for 'MTU'"); });
  ASSERT_EQ(1u, platform.messages.size());
  EXPECT_EQ("Failed to get data for 'MTU'", platform.messages[0].text);
  EXPECT_EQ("Internet Zelvora 2.19", platform.messages[0].caption);
  EXPECT_EQ(MsgIcon::Error, platform.messages[0].icon);
  EXPECT_EQ(MsgButtons::Ok, platform.messages[0].buttons);
}

}  // namespace
}  // namespace iz::test
