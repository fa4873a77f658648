// The largest-packet search against scripted paths: what it finds, what it
// tells the user, and how many echoes it costs (each unanswered one is a
// second of waiting).
#include "mtu/mtu_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "native/panel_fixture.h"
#include "store/error.h"

namespace iz::mtu {
namespace {

// A path of the given MTU to a host. Larger echoes are dropped without a
// word, or answered "too big" by a router that says so; every loseEvery-th
// echo is lost whatever its size.
struct Path : EchoProbe {
  explicit Path(int mtu, bool saysTooBig = false, int loseEvery = 0, bool hostAnswers = true)
      : mtu(mtu), saysTooBig(saysTooBig), loseEvery(loseEvery), hostAnswers(hostAnswers) {}
  int mtu;
  bool saysTooBig;
  int loseEvery;
  bool hostAnswers;
  int sent = 0;

  EchoAnswer Echo(int payload) override {
    ++sent;
    if (!hostAnswers || (loseEvery && sent % loseEvery == 0)) return EchoAnswer::NoAnswer;
    if (payload + kEchoOverhead <= mtu) return EchoAnswer::Passed;
    return saysTooBig ? EchoAnswer::TooBig : EchoAnswer::NoAnswer;
  }
};

std::string Found(int payload, int mtu) {
  return "Largest packet that passes unsplit: " + std::to_string(payload) +
         " bytes, so the MTU is " + std::to_string(mtu) + ".";
}

TEST(MtuSearch, FindsEachPathsLargestPacketWithinItsEchoes) {
  const std::string silent =
      "gw does not answer pings: it, or a firewall on the way, drops them. Try another host, "
      "such as your default gateway or a well-known server.";
  struct Case {
    const char* name;
    Path path;
    std::string text;
    int echoes;
  };
  const Case cases[] = {
      {"Ethernet", Path(1500), Found(1472, 1500), 1},
      {"PPPoE", Path(1492), Found(1464, 1492), 20},
      {"VPN", Path(1400), Found(1372, 1400), 22},
      {"dial-up", Path(576), Found(548, 576), 31},
      {"one echo in three lost", Path(1400, false, 3), Found(1372, 1400), 25},
      {"router says too big", Path(1492, true), Found(1464, 1492), 12},
      {"host never answers", Path(1500, false, 0, false), silent, 6},
      {"below 576", Path(552, true),
       "Even 548 bytes do not pass unsplit: the MTU of the path to gw is below 576.", 2},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    const MtuResult result = FindLargestPayload(c.path, nullptr);
    EXPECT_EQ(ResultText(result, "gw"), c.text);
    EXPECT_EQ(result.echoes, c.echoes);
    EXPECT_EQ(c.path.sent, c.echoes);
  }
}

TEST(MtuSearch, ReportsEachTryAndStopsWhenTold) {
  Path path(1500, false, 0, false);
  std::vector<std::string> lines;
  const MtuResult result = FindLargestPayload(path, [&](const MtuStep& step) {
    lines.push_back(StepText(step));
    return lines.size() < 7;  // stopped before the fourth echo goes out
  });
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                "Trying 1472 bytes...", "Trying 1472 bytes... no answer, trying again",
                "Trying 1472 bytes again...", "Trying 1472 bytes again... no answer, trying again",
                "Trying 1472 bytes again...", "Trying 1472 bytes again... no answer",
                "Trying 548 bytes..."}));
  EXPECT_EQ(result.outcome, MtuOutcome::Stopped);
  EXPECT_EQ(path.sent, 3);
  EXPECT_EQ(ResultText(result, "gw"), "");
}

// Every error line starts with the program's name; an address that many
// hosts (or none over IPv4) would answer is refused before any echo, in
// every form an address may be written in.
TEST(MtuSearch, CommandLinePrintsTheAnswersAndTheMtuAndFailsWithoutOne) {
  test::MemoryMachine m;
  int opened = 0;
  const OpenProbe open = [&opened](const std::string& host) -> std::unique_ptr<EchoProbe> {
    ++opened;
    if (host == "nowhere.invalid") throw Error(UnresolvedText(host));
    return std::make_unique<Path>(1492, true, 0, host != "silent");
  };
  std::vector<std::string> out;
  auto run = [&](const std::string& host) {
    out.clear();
    return cli::RunCommandLine(
        {"/FindMTU", host}, m.registry, m.profiles, m.platform,
        [&](const std::string& s) { out.push_back(s); }, open);
  };
  EXPECT_EQ(run("gw"), cli::kExitOk);
  ASSERT_EQ(out.size(), 14u);  // the 12 answers, the result and the MTU
  EXPECT_EQ(out[0], "Trying 1472 bytes... too big");
  EXPECT_EQ(out[12], Found(1464, 1492));
  EXPECT_EQ(out[13], "MTU 1492");
  EXPECT_EQ(run("silent"), cli::kExitFailed);
  EXPECT_EQ(out.size(), 7u);
  EXPECT_EQ(out.back().rfind("Internet Zelvora: silent does not answer pings", 0), 0u);
  EXPECT_EQ(run("nowhere.invalid"), cli::kExitFailed);
  EXPECT_EQ(out, std::vector<std::string>{"Internet Zelvora: Cannot find the host "
                                          "\"nowhere.invalid\": the name gives no address."});
  // Not broadcast nor multicast, however near.
  for (const char* host : {"223.255.255.255", "240.0.0.1", "255.255.255.254", "0xDF.1"}) {
    EXPECT_EQ(run(host), cli::kExitOk) << host;
  }
  const int sent = opened;
  const std::string ipv6 = "IPv6 is not supported yet: give an IPv4 address or a host name";
  const std::string one = ": give the address or name of one host";
  const std::pair<const char*, std::string> refused[] = {
      {"::1", ipv6},
      {"fe80::1%4", ipv6},
      {"[2001:db8::1]", ipv6},
      {"255.255.255.255", "255.255.255.255 is the broadcast address" + one},
      {"4294967295", "4294967295 is the broadcast address" + one},
      {"0xff.0377.65535", "0xff.0377.65535 is the broadcast address" + one},
      {"224.0.0.1", "224.0.0.1 is a multicast address" + one},
      {"239.255.255.250", "239.255.255.250 is a multicast address" + one},
      {"0xE0.1", "0xE0.1 is a multicast address" + one},
  };
  for (const auto& [host, text] : refused) {
    EXPECT_EQ(run(host), cli::kExitFailed) << host;
    EXPECT_EQ(out, std::vector<std::string>{"Internet Zelvora: " + text});
  }
  EXPECT_EQ(opened, sent) << "a refused host was pinged";
  EXPECT_EQ(m.registry.CallCount(), 0);
}

// "&Use as Custom MTU" leaves the panel as ticking Custom and typing the
// number would: the receive window follows the new MTU.
using test::PanelTest;

TEST_F(PanelTest, UsingTheFoundMtuIsTickingCustomAndTypingIt) {
  test::MemoryMachine typed;
  for (TIZelvora* panel : {&w, &typed.w}) {
    panel->Click(panel->customMode);
    panel->Click(panel->rwinMultiple);
    panel->Pick(0);
  }
  typed.w.Click(typed.w.mtuCustom);
  typed.w.SetText(typed.w.customMtu, "1492");
  platform.mtuToUse = 1492;
  w.Dispatch([this] { w.OnFindMtu(); });
  EXPECT_EQ(platform.calls, std::vector<std::string>{"ShowFindMtu"});
  EXPECT_EQ(w.customRwin.text, "5808");
  EXPECT_EQ(test::Capture(w), test::Capture(typed.w));
}

// A measured MTU outlives the profiles loaded after it, whichever side
// (type or method) loads them and whether or not a type came first; a
// number the user puts into the field ends that. The rest of the panel is
// the profile's, the receive window included.
TEST(MeasuredMtu, IsKeptOverEveryProfileUntilTheUserChangesIt) {
  constexpr const char* kKept = " It is kept when you choose a connection type, which Optimize "
                                "needs first.";
  struct Case {
    int mtu;
    const char* before;  // a box clicked before the window; "" for none
    const char* said;    // the window's status line
    const char* choice;  // the MTU choice ticked then and after every profile
  };
  const Case cases[] = {
      {1400, "", "Custom MTU 1400 ticked in the panel.", "mtuCustom"},
      {1500, "", "1500 (LAN) ticked in the panel.", "mtu1500"},
      {576, "", "576 (Dial-UP) ticked in the panel.", "mtu576"},
      // Custom Mode ticks " Custom" over the field's 1500: the number still
      // ticks its own choice.
      {1500, "customMode", "1500 (LAN) ticked in the panel.", "mtu1500"},
      {1492, "isdn", "Custom MTU 1492 ticked in the panel.", "mtuCustom"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mtu) + " after \"" + c.before + "\"");
    test::MemoryMachine m;
    if (*c.before) m.w.Click(*m.w.FindBox(c.before));
    const bool typeFirst = m.w.CheckedIn(Group::kType) != nullptr;
    m.platform.mtuToUse = c.mtu;
    m.w.Dispatch([&m] { m.w.OnFindMtu(); });
    EXPECT_EQ(m.platform.mtuUsedText, std::string(c.said) + (typeFirst ? "" : kKept));
    auto expectKept = [&](const char* after) {
      EXPECT_EQ(m.w.customMtu.text, std::to_string(c.mtu)) << after;
      EXPECT_EQ(m.w.CheckedIn(Group::kMtu)->name, std::string(c.choice)) << after;
      // Open only under " Custom", as the choice's own click leaves it.
      EXPECT_EQ(m.w.customMtu.enabled, m.w.mtuCustom.checked) << after;
    };
    expectKept("the button");
    for (const char* box : {"automatic2", "cableDsl", "modem", "automatic1", "pppoe"}) {
      m.w.Click(*m.w.FindBox(box));
      expectKept(box);
    }
    // Beside the MTU the profile is whole: pppoe, method 1.
    test::MemoryMachine fresh;
    fresh.w.Click(fresh.w.automatic1);
    fresh.w.Click(fresh.w.pppoe);
    EXPECT_EQ(m.w.customRwin.text, fresh.w.customRwin.text);
    EXPECT_EQ(m.w.customTtl.text, fresh.w.customTtl.text);
  }

  // The user's own number, or a fixed choice clicked, gives the MTU back to
  // the profiles.
  for (const char* change : {"typed", "mtu576"}) {
    SCOPED_TRACE(change);
    test::MemoryMachine m;
    m.platform.mtuToUse = 1400;
    m.w.Dispatch([&m] { m.w.OnFindMtu(); });
    if (change == std::string("typed")) {
      m.w.SetText(m.w.customMtu, "140");
      m.w.SetText(m.w.customMtu, "1400");
    } else {
      m.w.Click(m.w.mtu576);
    }
    m.w.Click(m.w.cableDsl);
    EXPECT_EQ(m.w.customMtu.text, "1500");
    EXPECT_TRUE(m.w.mtu1500.checked);
  }
}

}  // namespace
}  // namespace iz::mtu
