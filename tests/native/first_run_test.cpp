// The first-use flag: which stored states show the notice, what is stored
// afterwards, and how a bad flag ends start-up.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "native/fake_platform.h"
#include "native/panel_fixture.h"
#include "store/memory_registry.h"
#include "store/settings_session.h"

namespace iz::test {
namespace {

constexpr const char* kOwnKey = "SOFTWARE\\Internet Zelvora";
constexpr const char* kFlag = "FirstUse";

using Value = MemoryRegistry::Value;

Value Sz(const std::string& text) { return {kRegSz, StringBytes(text)}; }

class FirstRunTest : public ::testing::Test, public MemoryMachine {
 protected:
  FirstRunTest() { registry.CreateKeyPath(kHKCU, "SOFTWARE"); }

  // Runs the check the way the window's creation runs it: an error that ends
  // it reaches the general error report.
  void RunCheck() {
    w.Dispatch([this] { w.FirstRunCheck(); });
  }
  std::optional<Value> Flag() const { return registry.Get(kHKCU, kOwnKey, kFlag); }
  std::vector<std::string> Errors() const {
    std::vector<std::string> texts;
    for (const auto& m : platform.messages) {
      if (m.icon == MsgIcon::Error) texts.push_back(m.text);
    }
    return texts;
  }
};

struct FlagCase {
  const char* label;
  std::optional<Value> stored;  // nothing: no value (and no key)
  bool noticeShown;
  std::optional<Value> after;
  std::vector<std::string> errors;
};

TEST_F(FirstRunTest, StoredFlagDecidesTheNoticeAndWhatIsStored) {
  const std::vector<FlagCase> cases = {
      {"absent", std::nullopt, true, Sz("0"), {}},
      {"\"1\"", Sz("1"), true, Sz("0"), {}},
      {"\"0\"", Sz("0"), false, Sz("0"), {}},
      {"empty text", Sz(""), false, Sz(""), {}},
      {"string of no bytes", Value{kRegSz, {}}, false, Value{kRegSz, {}}, {}},
      {"\"yes\"", Sz("yes"), false, Sz("yes"), {}},
      {"\" 1\"", Sz(" 1"), false, Sz(" 1"), {}},
      {"\"1 \"", Sz("1 "), false, Sz("1 "), {}},
      // An expandable string is text too; the flag is rewritten as a plain one.
      {"expandable \"1\"", Value{kRegExpandSz, StringBytes("1")}, true, Sz("0"), {}},
      {"DWORD 1",
       Value{kRegDword, DwordBytes(1)},
       false,
       Value{kRegDword, DwordBytes(1)},
       {"Invalid data type for 'FirstUse'"}},
  };
  for (const FlagCase& c : cases) {
    SCOPED_TRACE(c.label);
    MemoryRegistry fresh;
    fresh.CreateKeyPath(kHKCU, "SOFTWARE");
    if (c.stored) fresh.SetRaw(kHKCU, kOwnKey, kFlag, c.stored->type, c.stored->data);
    FakePlatform plat;
    TIZelvora window(fresh, profiles, plat);

    window.Dispatch([&window] { window.FirstRunCheck(); });

    EXPECT_EQ(plat.noticesShown, c.noticeShown ? 1 : 0);
    EXPECT_EQ(fresh.Get(kHKCU, kOwnKey, kFlag), c.after);
    std::vector<std::string> errors;
    for (const auto& m : plat.messages) errors.push_back(m.text);
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(fresh.OpenHandles(), 0);
  }
}

TEST_F(FirstRunTest, NoticeIsShownOnlyOnce) {
  RunCheck();
  RunCheck();
  EXPECT_EQ(platform.noticesShown, 1);
  EXPECT_EQ(Flag(), Sz("0"));
}

TEST_F(FirstRunTest, FlagIsStoredEvenWhenTheNoticeFails) {
  platform.noticeThrows = true;
  RunCheck();
  EXPECT_EQ(platform.noticesShown, 1);
  EXPECT_EQ(Flag(), Sz("0"));
  // The failure itself is still reported.
  EXPECT_EQ(Errors(), std::vector<std::string>{"notice failed."});

  platform.noticeThrows = false;
  RunCheck();
  EXPECT_EQ(platform.noticesShown, 1);
}

TEST_F(FirstRunTest, UnwritableFlagShowsTheNoticeAgainNextTime) {
  registry.FailKey(kHKCU, kOwnKey);
  RunCheck();
  RunCheck();
  EXPECT_EQ(platform.noticesShown, 2);
  EXPECT_EQ(Errors(), (std::vector<std::string>{"Failed to create key Internet Zelvora.",
                                                "Failed to create key Internet Zelvora."}));
  EXPECT_EQ(registry.OpenHandles(), 0);
}

// Start-up as a whole: the notice comes before everything else, and a bad
// flag skips the status line, the theming and the first reading.
class FirstRunStartupTest : public FirstRunTest {
 protected:
  FirstRunStartupTest() {
    platform.version = WinXP();
    registry.SetDword(kHKLM, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters", "DefaultTTL",
                      64);
  }
  void Start() {
    w.Dispatch([this] { w.OnCreate(); });
  }
};

TEST_F(FirstRunStartupTest, FirstStartShowsTheNoticeBeforeTheRestOfStartUp) {
  Start();
  ASSERT_FALSE(platform.calls.empty());
  EXPECT_EQ(platform.calls.front(), "ShowFirstRunNotice");
  EXPECT_EQ(Flag(), Sz("0"));
  EXPECT_EQ(w.StatusText, " Operating System: Windows XP");
  EXPECT_EQ(w.customTtl.text, "64");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(FirstRunStartupTest, FlagOfTheWrongTypeSkipsTheRestOfStartUp) {
  registry.SetDword(kHKCU, kOwnKey, kFlag, 0);
  const PanelState untouched = Capture(w);

  Start();

  EXPECT_EQ(Errors(), std::vector<std::string>{"Invalid data type for 'FirstUse'"});
  EXPECT_EQ(platform.noticesShown, 0);
  EXPECT_EQ(w.StatusText, "");
  EXPECT_FALSE(w.StatusSimple);
  EXPECT_EQ(Capture(w), untouched);
  EXPECT_EQ(Flag(), (Value{kRegDword, DwordBytes(0)}));
}

}  // namespace
}  // namespace iz::test
