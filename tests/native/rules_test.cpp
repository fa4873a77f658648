// The change rules: which choice a text marks, the receive window that
// follows the MTU and the picked multiple, the lookup of standard windows,
// and the MTU key filter.
#include <string>
#include <vector>

#include "native/panel_fixture.h"
#include "profiles/input_rules.h"

namespace iz::test {
namespace {

TEST_F(PanelTest, EachFieldMarksTheChoiceMatchingItsNumber) {
  struct Case {
    const char* edit;
    const char* text;
    int group;
    const char* marked;
  };
  const Case cases[] = {
      {"customTtl", "32", Group::kTtl, "ttl32"},
      {"customTtl", "64", Group::kTtl, "ttl64"},
      {"customTtl", "128", Group::kTtl, "ttl128"},
      {"customTtl", "127", Group::kTtl, "ttlCustom"},
      {"customTtl", "$40", Group::kTtl, "ttl64"},
      {"customTtl", "0x80", Group::kTtl, "ttl128"},
      {"customTtl", "  64", Group::kTtl, "ttl64"},
      {"customTtl", "64 ", Group::kTtl, "ttlCustom"},  // a trailing blank: not a number
      {"customTtl", "-64", Group::kTtl, "ttlCustom"},
      {"customCache", "16", Group::kCache, "cache16"},
      {"customCache", "32", Group::kCache, "cache32"},
      {"customCache", "0", Group::kCache, "cache0"},
      {"customCache", "48", Group::kCache, "cacheCustom"},
      {"customCache", "abc", Group::kCache, "cache0"},  // letters count as 0
      {"customCache", "", Group::kCache, "cache0"},
      {"customKeepAlive", "600", Group::kKeepAlive, "keepAliveDefault"},
      {"customKeepAlive", "+0600", Group::kKeepAlive, "keepAliveDefault"},
      {"customKeepAlive", "3600", Group::kKeepAlive, "keepAliveCustom"},
      {"customKeepAlive", "x", Group::kKeepAlive, "keepAliveCustom"},
      {"customMtu", "576", Group::kMtu, "mtu576"},
      {"customMtu", "$240", Group::kMtu, "mtu576"},
      {"customMtu", "1500", Group::kMtu, "mtu1500"},
      {"customMtu", "1492", Group::kMtu, "mtuCustom"},
      {"customMtu", "", Group::kMtu, "mtuCustom"},
      {"customMtu", "Q", Group::kMtu, "mtuCustom"},
  };
  for (const Case& c : cases) {
    TIZelvora fresh(registry, profiles, platform);
    EditCtl& edit = *fresh.FindEdit(c.edit);
    fresh.SetText(edit, "1");  // so that every case's text is a change
    fresh.SetText(edit, c.text);
    const CheckBoxCtl* marked = fresh.CheckedIn(c.group);
    EXPECT_EQ(c.marked, std::string(marked ? marked->name : "nothing"))
        << c.edit << " \"" << c.text << '"';
    EXPECT_FALSE(edit.enabled) << "a rule never opens a field";
  }
}

TEST_F(PanelTest, StandardWindowsSelectTheirMultipleWhateverTheMtu) {
  // Windows of the segment sizes 536 and 1460 select their multiple and mark
  // " Multiple" (M); anything else marks " Custom" (C) and the list keeps
  // "x10". The MTU is 1500 throughout, and the window keeps its text: the
  // selection does not run the multiple rule.
  const std::vector<std::string> cases = {
      "2144",  "3216",  "4288",  "5360", "6432", "7504", "8576",  "5840", "8760", "11680", "14600",
      "17520", "20440", "23360", "5808", "2145", "1072", "29200", "0",    "$860", "-2144", ""};
  const std::vector<std::string> expected = {
      "2144 0 M",  "3216 1 M",  "4288 2 M",  "5360 3 M",  "6432 4 M",  "7504 5 M",
      "8576 6 M",  "5840 0 M",  "8760 1 M",  "11680 2 M", "14600 3 M", "17520 4 M",
      "20440 5 M", "23360 6 M", "5808 3 C",  "2145 3 C",  "1072 3 C",  "29200 3 C",
      "0 3 C",     "$860 0 M",  "-2144 3 C", " 3 C"};
  std::vector<std::string> actual;
  for (const std::string& text : cases) {
    TIZelvora fresh(registry, profiles, platform);
    fresh.SetText(fresh.customMtu, "1500");
    fresh.SetItemIndex(3);
    fresh.SetText(fresh.customRwin, "1");
    fresh.SetText(fresh.customRwin, text);
    const std::string mark = fresh.rwinMultiple.checked ? "M"
                             : fresh.rwinCustom.checked ? "C"
                                                        : "?";
    actual.push_back(fresh.customRwin.text + " " + std::to_string(fresh.rwinMultiples.itemIndex) +
                     " " + mark);
    EXPECT_EQ("1500", fresh.customMtu.text) << "the lookup never touches the MTU";
  }
  EXPECT_EQ(expected, actual);
}

// The chains that start at the MTU field or at the list, compared as whole
// panel states so that any stray change shows.
TEST_F(PanelTest, TypingAStandardMtuWithAPickRecomputesAndSelects) {
  Click("mtuCustom");     // opens the MTU field
  Click("rwinMultiple");  // opens the list
  w.Pick(3);              // "x10": MTU "0" gives a window of 0
  Put("customMtu", "1500");
  PanelState expected;
  expected.texts = {{"customTtl", "0"},       {"customMtu", "1500"},    {"customCache", "0"},
                    {"customRwin", "14600"},  {"customKeepAlive", "0"}, {"maxConnections", "0"},
                    {"maxConnections10", "0"}};
  expected.checked = {"automatic1", "mtu1500", "rwinMultiple"};
  expected.open = {"customMtu", "rwinMultiples"};
  expected.comboItem = 3;
  EXPECT_EQ(expected, Capture(w));
}

TEST_F(PanelTest, ClearingTheMtuWithAPickZeroesTheWindow) {
  Click("mtuCustom");
  Click("rwinMultiple");
  Put("customMtu", "576");
  w.Pick(2);  // "x8"
  ASSERT_EQ("4288", w.customRwin.text);
  Put("customMtu", "");
  EXPECT_EQ("0", w.customRwin.text);
  EXPECT_EQ("mtuCustom", std::string(w.CheckedIn(Group::kMtu)->name));
  EXPECT_EQ("rwinCustom", std::string(w.CheckedIn(Group::kRwin)->name));
  EXPECT_EQ(2, w.rwinMultiples.itemIndex);
}

TEST_F(PanelTest, TheWindowFollowsMtuTimesMultipleNeverBelowZero) {
  struct Case {
    const char* mtu;
    int item;
    const char* rwin;
    const char* marked;
  };
  const Case cases[] = {
      {"576", 1, "3216", "rwinMultiple"},
      {"1500", 0, "5840", "rwinMultiple"},
      {"1492", 0, "5808", "rwinCustom"},
      {"576", 6, "8576", "rwinMultiple"},
      {"1492", 6, "23232", "rwinCustom"},  // a product of another segment size
      {"41", 6, "16", "rwinCustom"},
      {"40", 6, "0", "rwinCustom"},
      {"30", 0, "0", "rwinCustom"},
      {"-1500", 0, "0", "rwinCustom"},
      {"Q", 0, "0", "rwinCustom"},
      // Far beyond 64 bits once multiplied: the exact product, which no rule
      // or applier takes for a number, rather than a wrapped one.
      {"9223372036854775807", 6, "147573952589676412272", "rwinCustom"},
  };
  for (const Case& c : cases) {
    // Both ways in: the MTU typed with the multiple already picked, and the
    // multiple picked after the MTU.
    for (bool pickFirst : {true, false}) {
      TIZelvora fresh(registry, profiles, platform);
      fresh.Click(fresh.rwinMultiple);
      fresh.SetText(fresh.customRwin, "12345");
      if (pickFirst) fresh.Pick(c.item);
      fresh.SetText(fresh.customMtu, c.mtu);
      if (!pickFirst) fresh.Pick(c.item);
      EXPECT_EQ(c.rwin, fresh.customRwin.text) << c.mtu << " x item " << c.item;
      EXPECT_EQ(c.marked, std::string(fresh.CheckedIn(Group::kRwin)->name)) << c.mtu;
      EXPECT_EQ(c.item, fresh.rwinMultiples.itemIndex) << c.mtu;
    }
  }
}

TEST_F(PanelTest, WithoutAPickTheMtuLeavesTheWindowAlone) {
  Click("rwinCustom");
  Put("customRwin", "65535");
  Put("customMtu", "1500");
  EXPECT_EQ("65535", w.customRwin.text);
  EXPECT_EQ("rwinCustom", std::string(w.CheckedIn(Group::kRwin)->name));
}

TEST_F(PanelTest, WithAPickTheMtuReplacesATypedWindow) {
  Click("rwinMultiple");
  w.Pick(0);
  Click("rwinCustom");  // locks the list, keeps its pick
  Put("customRwin", "65535");
  Click("mtu1500");  // the fixed MTU's text runs the rule before the lock
  EXPECT_EQ("5840", w.customRwin.text);
  EXPECT_EQ("rwinMultiple", std::string(w.CheckedIn(Group::kRwin)->name));
  EXPECT_FALSE(w.customMtu.enabled);
  EXPECT_TRUE(w.customRwin.enabled) << "marks never change a lock";
}

TEST_F(PanelTest, OnlyLowerCaseLettersAreKeptOutOfTheMtu) {
  std::string discarded;
  for (int c = 0; c < 256; ++c) {
    if (MtuKeyRejected(static_cast<char>(c))) discarded += static_cast<char>(c);
  }
  EXPECT_EQ("abcdefghijklmnopqrstuvwxyz", discarded);
}

}  // namespace
}  // namespace iz::test
