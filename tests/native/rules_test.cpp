// The change rules: which choice a text marks, the receive window that
// follows the MTU and the picked multiple, the lookup of standard windows,
// and the MTU key filter.
#include <string>
#include <vector>

#include "native/panel_fixture.h"

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
      {"Edit1", "32", 7, "RadioButton5"},
      {"Edit1", "64", 7, "RadioButton6"},
      {"Edit1", "128", 7, "RadioButton7"},
      {"Edit1", "127", 7, "RadioButton8"},
      {"Edit1", "$40", 7, "RadioButton6"},
      {"Edit1", "0x80", 7, "RadioButton7"},
      {"Edit1", "  64", 7, "RadioButton6"},
      {"Edit1", "64 ", 7, "RadioButton8"},  // a trailing blank: not a number
      {"Edit1", "-64", 7, "RadioButton8"},
      {"Edit3", "16", 6, "RadioButton13"},
      {"Edit3", "32", 6, "RadioButton14"},
      {"Edit3", "0", 6, "RadioButton12"},
      {"Edit3", "48", 6, "RadioButton15"},
      {"Edit3", "abc", 6, "RadioButton12"},  // letters count as 0
      {"Edit3", "", 6, "RadioButton12"},
      {"Edit5", "600", 8, "RadioButton18"},
      {"Edit5", "+0600", 8, "RadioButton18"},
      {"Edit5", "3600", 8, "RadioButton19"},
      {"Edit5", "x", 8, "RadioButton19"},
      {"Edit2", "576", 4, "RadioButton9"},
      {"Edit2", "$240", 4, "RadioButton9"},
      {"Edit2", "1500", 4, "RadioButton10"},
      {"Edit2", "1492", 4, "RadioButton11"},
      {"Edit2", "", 4, "RadioButton11"},
      {"Edit2", "Q", 4, "RadioButton11"},
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
    fresh.SetText(fresh.Edit2, "1500");
    fresh.SetItemIndex(3);
    fresh.SetText(fresh.Edit4, "1");
    fresh.SetText(fresh.Edit4, text);
    const std::string mark = fresh.RadioButton16.checked   ? "M"
                             : fresh.RadioButton17.checked ? "C"
                                                           : "?";
    actual.push_back(fresh.Edit4.text + " " + std::to_string(fresh.ComboBox1.itemIndex) + " " +
                     mark);
    EXPECT_EQ("1500", fresh.Edit2.text) << "the lookup never touches the MTU";
  }
  EXPECT_EQ(expected, actual);
}

// The chains that start at the MTU field or at the list, compared as whole
// panel states so that any stray change shows.
TEST_F(PanelTest, TypingAStandardMtuWithAPickRecomputesAndSelects) {
  Click("RadioButton11");  // opens the MTU field
  Click("RadioButton16");  // opens the list
  w.Pick(3);               // "x10": MTU "0" gives a window of 0
  Put("Edit2", "1500");
  PanelState expected;
  expected.texts = {{"Edit1", "0"}, {"Edit2", "1500"}, {"Edit3", "0"}, {"Edit4", "14600"},
                    {"Edit5", "0"}, {"Edit6", "0"},    {"Edit7", "0"}};
  expected.checked = {"RadioButton3", "RadioButton10", "RadioButton16"};
  expected.open = {"Edit2", "ComboBox1"};
  expected.comboItem = 3;
  EXPECT_EQ(expected, Capture(w));
}

TEST_F(PanelTest, ClearingTheMtuWithAPickZeroesTheWindow) {
  Click("RadioButton11");
  Click("RadioButton16");
  Put("Edit2", "576");
  w.Pick(2);  // "x8"
  ASSERT_EQ("4288", w.Edit4.text);
  Put("Edit2", "");
  EXPECT_EQ("0", w.Edit4.text);
  EXPECT_EQ("RadioButton11", std::string(w.CheckedIn(4)->name));
  EXPECT_EQ("RadioButton17", std::string(w.CheckedIn(5)->name));
  EXPECT_EQ(2, w.ComboBox1.itemIndex);
}

TEST_F(PanelTest, TheWindowFollowsMtuTimesMultipleNeverBelowZero) {
  struct Case {
    const char* mtu;
    int item;
    const char* rwin;
    const char* marked;
  };
  const Case cases[] = {
      {"576", 1, "3216", "RadioButton16"},
      {"1500", 0, "5840", "RadioButton16"},
      {"1492", 0, "5808", "RadioButton17"},
      {"576", 6, "8576", "RadioButton16"},
      {"1492", 6, "23232", "RadioButton17"},  // a product of another segment size
      {"41", 6, "16", "RadioButton17"},
      {"40", 6, "0", "RadioButton17"},
      {"30", 0, "0", "RadioButton17"},
      {"-1500", 0, "0", "RadioButton17"},
      {"Q", 0, "0", "RadioButton17"},
      // Far beyond 64 bits once multiplied: the exact product, which no rule
      // or applier takes for a number, rather than a wrapped one.
      {"9223372036854775807", 6, "147573952589676412272", "RadioButton17"},
  };
  for (const Case& c : cases) {
    // Both ways in: the MTU typed with the multiple already picked, and the
    // multiple picked after the MTU.
    for (bool pickFirst : {true, false}) {
      TIZelvora fresh(registry, profiles, platform);
      fresh.Click(fresh.RadioButton16);
      fresh.SetText(fresh.Edit4, "12345");
      if (pickFirst) fresh.Pick(c.item);
      fresh.SetText(fresh.Edit2, c.mtu);
      if (!pickFirst) fresh.Pick(c.item);
      EXPECT_EQ(c.rwin, fresh.Edit4.text) << c.mtu << " x item " << c.item;
      EXPECT_EQ(c.marked, std::string(fresh.CheckedIn(5)->name)) << c.mtu;
      EXPECT_EQ(c.item, fresh.ComboBox1.itemIndex) << c.mtu;
    }
  }
}

TEST_F(PanelTest, WithoutAPickTheMtuLeavesTheWindowAlone) {
  Click("RadioButton17");
  Put("Edit4", "65535");
  Put("Edit2", "1500");
  EXPECT_EQ("65535", w.Edit4.text);
  EXPECT_EQ("RadioButton17", std::string(w.CheckedIn(5)->name));
}

TEST_F(PanelTest, WithAPickTheMtuReplacesATypedWindow) {
  Click("RadioButton16");
  w.Pick(0);
  Click("RadioButton17");  // locks the list, keeps its pick
  Put("Edit4", "65535");
  Click("RadioButton10");  // the fixed MTU's text runs the rule before the lock
  EXPECT_EQ("5840", w.Edit4.text);
  EXPECT_EQ("RadioButton16", std::string(w.CheckedIn(5)->name));
  EXPECT_FALSE(w.Edit2.enabled);
  EXPECT_TRUE(w.Edit4.enabled) << "marks never change a lock";
}

TEST_F(PanelTest, OnlyLowerCaseLettersAreKeptOutOfTheMtu) {
  std::string discarded;
  for (int c = 0; c < 256; ++c) {
    if (w.Edit2KeyPress(static_cast<char>(c))) discarded += static_cast<char>(c);
  }
  EXPECT_EQ("abcdefghijklmnopqrstuvwxyz", discarded);
}

}  // namespace
}  // namespace iz::test
