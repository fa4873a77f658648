// Connection types and methods: every profile as a whole panel state, loaded
// from either side, and the Custom method.
#include <string>
#include <vector>

#include "native/panel_fixture.h"

namespace iz::test {
namespace {

struct TypeRow {
  const char* box;
  const char* mtu;
  const char* ttl;
  const char* cache;
  const char* edit6;
  const char* edit7;
  std::set<std::string> marks;    // the choices the profile marks, receive window included
  std::set<std::string> options;  // the independent boxes it checks
  const char* rwin[3];            // by method
  int comboItem[3];               // by method, from a list with nothing picked
};

const std::set<std::string> kModemOptions = {"CheckBox2",   "CheckBox3",  "CheckBox6",
                                             "CheckBox8",   "CheckBox9",  "glCheckBox6",
                                             "glCheckBox8", "glCheckBox9"};
const std::set<std::string> kIsdnOptions = {"CheckBox2",   "CheckBox3",   "CheckBox4",
                                            "CheckBox6",   "CheckBox8",   "CheckBox9",
                                            "glCheckBox6", "glCheckBox8", "glCheckBox9"};
const std::set<std::string> kBroadbandOptions = {"CheckBox2",   "CheckBox4",  "CheckBox5",
                                                 "CheckBox6",   "CheckBox7",  "glCheckBox6",
                                                 "glCheckBox8", "glCheckBox9"};

const TypeRow kTypes[] = {
    {"glCheckBox1",
     "576",
     "128",
     "16",
     "4",
     "8",
     {"RadioButton9", "RadioButton7", "RadioButton13", "RadioButton16", "RadioButton18"},
     kModemOptions,
     {"3216", "4288", "5360"},
     {1, 2, 3}},
    // ISDN marks " 128" and " 16", the choices its texts stand for; its
    // windows are standard, so the list follows while " Custom" stays marked.
    {"glCheckBox2",
     "1500",
     "128",
     "16",
     "8",
     "16",
     {"RadioButton10", "RadioButton7", "RadioButton13", "RadioButton17", "RadioButton18"},
     kIsdnOptions,
     {"11680", "8760", "14600"},
     {2, 1, 3}},
    {"glCheckBox3",
     "1500",
     "64",
     "32",
     "10",
     "20",
     {"RadioButton10", "RadioButton6", "RadioButton14", "RadioButton17", "RadioButton18"},
     kBroadbandOptions,
     {"256960", "372300", "178120"},
     {-1, -1, -1}},
    // PPPoE's MTU has no fixed choice: " Custom" is marked, the field locked.
    {"glCheckBox4",
     "1492",
     "64",
     "32",
     "10",
     "20",
     {"RadioButton11", "RadioButton6", "RadioButton14", "RadioButton17", "RadioButton18"},
     kBroadbandOptions,
     {"255552", "370260", "177144"},
     {-1, -1, -1}},
    {"glCheckBox5",
     "1500",
     "64",
     "32",
     "20",
     "40",
     {"RadioButton10", "RadioButton6", "RadioButton14", "RadioButton17", "RadioButton18"},
     kBroadbandOptions,
     {"432160", "584000", "664300"},
     {-1, -1, -1}},
};

const char* const kMethods[] = {"RadioButton3", "glCheckBox7", "glCheckBox12"};

PanelState Expected(const TypeRow& t, int method) {
  PanelState s;
  s.texts = {{"Edit1", t.ttl}, {"Edit2", t.mtu},   {"Edit3", t.cache}, {"Edit4", t.rwin[method]},
             {"Edit5", "600"}, {"Edit6", t.edit6}, {"Edit7", t.edit7}};
  s.checked = t.marks;
  s.checked.insert(t.options.begin(), t.options.end());
  s.checked.insert(t.box);
  s.checked.insert(kMethods[method]);
  s.comboItem = t.comboItem[method];
  return s;  // every field and the list locked
}

TEST_F(PanelTest, EveryProfileFromTheTypeSide) {
  for (const TypeRow& t : kTypes) {
    for (int m = 0; m < 3; ++m) {
      TIZelvora fresh(registry, profiles, platform);
      fresh.Click(*fresh.FindBox(kMethods[m]));  // no type yet: loads nothing
      fresh.Click(*fresh.FindBox(t.box));
      EXPECT_EQ(Expected(t, m), Capture(fresh)) << t.box << " method " << m + 1;
    }
  }
}

TEST_F(PanelTest, EveryProfileOverEveryOtherAndOverCustomValues) {
  // From the method side, after any other type and values typed in Custom
  // Mode: a profile replaces every value it lists; only the list's pick may
  // differ where the profile does not set it.
  for (const TypeRow& before : kTypes) {
    for (const TypeRow& t : kTypes) {
      for (int m = 0; m < 3; ++m) {
        TIZelvora fresh(registry, profiles, platform);
        fresh.Click(*fresh.FindBox(before.box));
        fresh.Click(fresh.RadioButton4);
        for (EditCtl* e : fresh.Edits()) fresh.SetText(*e, "99");
        for (CheckBoxCtl* b : fresh.Boxes()) {
          if (b->group == 0) fresh.SetChecked(*b, !b->checked);
        }
        fresh.Click(*fresh.FindBox(t.box));  // Custom Mode: only opens
        fresh.Click(*fresh.FindBox(kMethods[m]));
        PanelState expected = Expected(t, m);
        if (expected.comboItem < 0) expected.comboItem = fresh.ComboBox1.itemIndex;
        EXPECT_EQ(expected, Capture(fresh)) << before.box << " then " << t.box << " " << m + 1;
      }
    }
  }
}

TEST_F(PanelTest, AProfileOverwritesTheWindowThatAPickedMultipleComputed) {
  Click("RadioButton16");
  w.Pick(0);  // "x4"
  Click("glCheckBox3");
  EXPECT_EQ("256960", w.Edit4.text);
  EXPECT_EQ(0, w.ComboBox1.itemIndex);
  EXPECT_TRUE(w.RadioButton17.checked);
}

TEST_F(PanelTest, ClickingTheCheckedTypeLoadsItsProfileAgain) {
  Click("glCheckBox1");
  Click("RadioButton8");
  Put("Edit1", "99");
  Click("glCheckBox1");
  EXPECT_EQ(Expected(kTypes[0], 0), Capture(w));
}

TEST_F(PanelTest, CustomModeKeepsTheProfileAndOpensAllSevenFields) {
  Click("glCheckBox2");
  Click("glCheckBox7");
  Click("RadioButton16");  // the list is open before Custom Mode locks it
  Click("RadioButton4");
  PanelState expected = Expected(kTypes[1], 1);
  expected.checked.erase("glCheckBox7");
  expected.checked.insert("RadioButton4");
  for (const char* m : {"RadioButton10", "RadioButton7", "RadioButton13", "RadioButton17",
                        "RadioButton16", "RadioButton18"}) {
    expected.checked.erase(m);
  }
  expected.checked.insert(
      {"RadioButton11", "RadioButton8", "RadioButton15", "RadioButton17", "RadioButton19"});
  expected.open = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
  EXPECT_EQ(expected, Capture(w));
}

TEST_F(PanelTest, ATypeUnderCustomModeOpensTheFiveValueFieldsOnly) {
  w.SetChecked(w.RadioButton4, true);  // Custom Mode with every field still locked
  w.SetChecked(w.CheckBox9, true);
  PanelState expected = Capture(w);
  Click("glCheckBox5");
  expected.checked.insert({"glCheckBox5", "RadioButton11", "RadioButton8", "RadioButton15",
                           "RadioButton17", "RadioButton19"});
  expected.open = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"};
  EXPECT_EQ(expected, Capture(w));
}

TEST_F(PanelTest, WithNoTypeAMethodChangesNothingButCustomModeStillOpens) {
  Click("glCheckBox12");
  PanelState expected = Capture(Panel());
  expected.checked = {"glCheckBox12"};
  EXPECT_EQ(expected, Capture(w));

  Click("RadioButton4");
  expected.checked = {"RadioButton4",  "RadioButton11", "RadioButton8",
                      "RadioButton15", "RadioButton17", "RadioButton19"};
  expected.open = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
  EXPECT_EQ(expected, Capture(w));
}

}  // namespace
}  // namespace iz::test
