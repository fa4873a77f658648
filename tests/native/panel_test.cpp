// The panel's controls as created, the choice mechanics, and the fixed
// choices that lock or open their fields.
#include <string>
#include <vector>

#include "app/win32/panel_layout.h"
#include "native/panel_fixture.h"

namespace iz::test {
namespace {

TEST(PanelControls, FieldsStartAtZeroLockedWithNoMultiplePicked) {
  Panel panel;
  PanelState expected;
  for (const char* e : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"}) {
    expected.texts[e] = "0";
  }
  expected.checked = {"RadioButton3"};
  EXPECT_EQ(expected, Capture(panel));
  for (const CheckBoxCtl* b : panel.Boxes()) EXPECT_TRUE(b->enabled) << b->name;
}

TEST_F(PanelTest, OnlyTheIndependentBoxesHaveNoClickHandler) {
  std::set<std::string> withoutHandler;
  for (const CheckBoxCtl* b : w.Boxes()) {
    if (!b->onClick) withoutHandler.insert(b->name);
  }
  const std::set<std::string> expected = {"CheckBox1", "CheckBox2",   "CheckBox3",   "CheckBox4",
                                          "CheckBox5", "CheckBox6",   "CheckBox7",   "CheckBox8",
                                          "CheckBox9", "glCheckBox6", "glCheckBox8", "glCheckBox9"};
  EXPECT_EQ(expected, withoutHandler);
  std::set<std::string> withoutRule;
  for (const EditCtl* e : w.Edits()) {
    if (!e->onChange) withoutRule.insert(e->name);
  }
  EXPECT_EQ((std::set<std::string>{"Edit6", "Edit7"}), withoutRule);
}

// The window places every control of the model exactly once, by its name and
// as its kind; a name the model does not know would show here, not as a
// missing control at run time.
TEST(PanelControls, TheLayoutPlacesEveryModelControlOnce) {
  Panel panel;
  std::multiset<std::string> model{std::string("Combo ") + panel.ComboBox1.name}, placed;
  for (const CheckBoxCtl* b : panel.Boxes()) model.insert(std::string("Box ") + b->name);
  for (const EditCtl* e : panel.Edits()) model.insert(std::string("Edit ") + e->name);
  const char* kinds[] = {"Group", "Box",   "Edit",
                         "Combo", "Label", "Name"};  // as CtlKind lists them
  for (const win32::CtlPlace& p : win32::kPanelLayout) {
    const char* kind = kinds[static_cast<int>(p.kind)];
    if (*kind == 'B' || *kind == 'E' || *kind == 'C')
      placed.insert(kind + std::string(" ") + p.name);
  }
  EXPECT_EQ(model, placed);
}

// Screen readers name a field after the label right before it: every field
// and the list has a label (visible or hidden) there, never a choice.
TEST(PanelControls, EveryFieldHasALabelRightBeforeIt) {
  const win32::CtlPlace* before = nullptr;
  for (const win32::CtlPlace& p : win32::kPanelLayout) {
    if (p.kind == win32::CtlKind::Edit || p.kind == win32::CtlKind::Combo) {
      ASSERT_NE(before, nullptr);
      EXPECT_TRUE(before->kind == win32::CtlKind::Label || before->kind == win32::CtlKind::Name)
          << p.name << " follows " << before->name;
    }
    before = &p;
  }
}

// One box of every group checked, so that a stray uncheck anywhere shows;
// every handler counts its runs.
void Baseline(Panel& panel, int* handlerRuns) {
  for (CheckBoxCtl* b : panel.Boxes()) b->onClick = [handlerRuns] { ++*handlerRuns; };
  for (const char* name : {"glCheckBox2", "RadioButton4", "RadioButton9", "RadioButton5",
                           "RadioButton12", "RadioButton16", "RadioButton18", "CheckBox1"}) {
    panel.SetChecked(*panel.FindBox(name), true);
  }
}

TEST(ChoiceMechanics, CheckingAChoiceUnchecksOnlyItsOwnGroup) {
  Panel panel;
  int handlerRuns = 0;
  Baseline(panel, &handlerRuns);
  panel.SetChecked(panel.RadioButton11, true);
  EXPECT_EQ((std::set<std::string>{"glCheckBox2", "RadioButton4", "RadioButton11", "RadioButton5",
                                   "RadioButton12", "RadioButton16", "RadioButton18", "CheckBox1"}),
            Capture(panel).checked);
  // The method group holds boxes of two naming families; membership is by
  // number.
  panel.SetChecked(panel.glCheckBox7, true);
  EXPECT_FALSE(panel.RadioButton4.checked);
  EXPECT_FALSE(panel.RadioButton3.checked);
  EXPECT_EQ(0, handlerRuns);
}

TEST(ChoiceMechanics, UncheckingAChoiceFromCodeLeavesItChecked) {
  Panel panel;
  int handlerRuns = 0;
  Baseline(panel, &handlerRuns);
  const std::set<std::string> before = Capture(panel).checked;
  panel.SetChecked(panel.RadioButton9, false);
  panel.SetChecked(panel.glCheckBox2, false);
  EXPECT_EQ(before, Capture(panel).checked);
  panel.SetChecked(panel.CheckBox1, false);
  EXPECT_FALSE(panel.CheckBox1.checked);
  EXPECT_EQ(0, handlerRuns);
}

TEST(ChoiceMechanics, AClickTogglesByTheRulesThenRunsTheHandler) {
  struct Case {
    const char* box;
    bool enabled;
    bool checkedAfter;
    int handlerRuns;
    const char* uncheckedInGroup;  // the box the click took the group from
  };
  const Case cases[] = {
      {"CheckBox2", true, true, 1, nullptr},             // independent, off -> on
      {"CheckBox1", true, false, 1, nullptr},            // independent, on -> off
      {"RadioButton10", true, true, 1, "RadioButton9"},  // a choice moves
      {"RadioButton9", true, true, 1, nullptr},          // a checked choice stays; handler reruns
      {"RadioButton11", false, false, 0, nullptr},       // a disabled box ignores the click
  };
  for (const Case& c : cases) {
    Panel panel;
    int handlerRuns = 0;
    Baseline(panel, &handlerRuns);
    CheckBoxCtl& box = *panel.FindBox(c.box);
    box.enabled = c.enabled;
    bool stateSeenByHandler = !c.checkedAfter;
    box.onClick = [&] {
      ++handlerRuns;
      stateSeenByHandler = box.checked;
    };
    panel.Click(box);
    EXPECT_EQ(c.checkedAfter, box.checked) << c.box;
    EXPECT_EQ(c.handlerRuns, handlerRuns) << c.box;
    if (c.handlerRuns) {
      EXPECT_EQ(c.checkedAfter, stateSeenByHandler) << c.box;
    }
    if (c.uncheckedInGroup) {
      EXPECT_FALSE(panel.FindBox(c.uncheckedInGroup)->checked) << c.box;
    }
  }
}

TEST(PanelFields, ADifferentTextRunsTheRuleAtOnceTheSameTextNothing) {
  Panel panel;
  std::vector<std::string> seen;
  panel.Edit2.onChange = [&] { seen.push_back(panel.Edit2.text); };
  panel.SetText(panel.Edit2, "0");
  panel.SetText(panel.Edit2, "576");
  seen.push_back("returned");
  panel.SetText(panel.Edit2, "576");
  panel.SetText(panel.Edit2, "");
  EXPECT_EQ((std::vector<std::string>{"576", "returned", ""}), seen);
}

TEST(PanelFields, OnlyAPickInAnOpenListRunsTheMultipleRule) {
  Panel panel;
  int runs = 0;
  panel.ComboBox1.onChange = [&] { ++runs; };
  panel.SetItemIndex(2);
  EXPECT_EQ(0, runs);
  panel.Pick(4);  // locked: the user cannot pick
  EXPECT_EQ(2, panel.ComboBox1.itemIndex);
  EXPECT_EQ(0, runs);
  panel.Open(panel.ComboBox1);
  panel.Pick(4);
  panel.Pick(4);  // picking the same item again is still a pick
  EXPECT_EQ(4, panel.ComboBox1.itemIndex);
  EXPECT_EQ(2, runs);
}

TEST_F(PanelTest, FixedChoicesSetTheirValueAndLockCustomOnlyOpens) {
  struct Case {
    const char* choice;
    const char* edit;
    const char* textAfter;  // nullptr: the text stays
    bool editOpen;
  };
  const Case cases[] = {
      {"RadioButton9", "Edit2", "576", false},   {"RadioButton10", "Edit2", "1500", false},
      {"RadioButton11", "Edit2", nullptr, true}, {"RadioButton5", "Edit1", "32", false},
      {"RadioButton6", "Edit1", "64", false},    {"RadioButton7", "Edit1", "128", false},
      {"RadioButton8", "Edit1", nullptr, true},  {"RadioButton12", "Edit3", "0", false},
      {"RadioButton13", "Edit3", "16", false},   {"RadioButton14", "Edit3", "32", false},
      {"RadioButton15", "Edit3", nullptr, true}, {"RadioButton18", "Edit5", "600", false},
      {"RadioButton19", "Edit5", nullptr, true}, {"RadioButton16", "Edit4", nullptr, false},
      {"RadioButton17", "Edit4", nullptr, true},
  };
  for (const Case& c : cases) {
    TIZelvora fresh(registry, profiles, platform);
    EditCtl& edit = *fresh.FindEdit(c.edit);
    fresh.Open(edit);
    fresh.SetText(edit, "777");
    const bool comboWasOpen = fresh.ComboBox1.enabled;
    fresh.Click(*fresh.FindBox(c.choice));
    EXPECT_EQ(c.textAfter ? c.textAfter : "777", edit.text) << c.choice;
    EXPECT_EQ(c.editOpen, edit.enabled) << c.choice;
    EXPECT_EQ(c.editOpen ? clWindow : clBtnFace, edit.color) << c.choice;
    EXPECT_TRUE(fresh.FindBox(c.choice)->checked) << c.choice;
    // Only the receive-window choices move the list's lock.
    const bool comboOpen = std::string(c.choice) == "RadioButton16"   ? true
                           : std::string(c.choice) == "RadioButton17" ? false
                                                                      : comboWasOpen;
    EXPECT_EQ(comboOpen, fresh.ComboBox1.enabled) << c.choice;
  }
}

TEST_F(PanelTest, MultipleWithNothingPickedOpensTheListAndKeepsTheWindow) {
  Put("Edit4", "12345");
  const PanelState before = Capture(w);
  Click("RadioButton16");
  PanelState expected = before;
  expected.checked.erase("RadioButton17");
  expected.checked.insert("RadioButton16");
  expected.open = {"ComboBox1"};
  EXPECT_EQ(expected, Capture(w));
}

}  // namespace
}  // namespace iz::test
