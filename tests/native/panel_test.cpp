// The panel's controls as created, the choice mechanics, and the fixed
// choices that lock or open their fields.
#include <string>
#include <vector>

#include "native/panel_fixture.h"
#include "win32/panel_layout.h"

namespace iz::test {
namespace {

TEST(PanelControls, FieldsStartAtZeroLockedWithNoMultiplePicked) {
  Panel panel;
  PanelState expected;
  for (const char* e : {"customTtl", "customMtu", "customCache", "customRwin", "customKeepAlive",
                        "maxConnections", "maxConnections10"}) {
    expected.texts[e] = "0";
  }
  expected.checked = {"automatic1"};
  EXPECT_EQ(expected, Capture(panel));
  for (const CheckBoxCtl* b : panel.Boxes()) EXPECT_TRUE(b->enabled) << b->name;
}

TEST_F(PanelTest, OnlyTheIndependentBoxesHaveNoClickHandler) {
  std::set<std::string> withoutHandler;
  for (const CheckBoxCtl* b : w.Boxes()) {
    if (!b->onClick) withoutHandler.insert(b->name);
  }
  const std::set<std::string> expected = {
      "blackHoleDetect", "autoDiscovery", "slowNet", "sack",      "maxDupAcks", "comPorts",
      "largeWindows",    "comBuffer",     "vcache",  "bsdUrgent", "maxConnect", "maxSocket"};
  EXPECT_EQ(expected, withoutHandler);
  std::set<std::string> withoutRule;
  for (const EditCtl* e : w.Edits()) {
    if (!e->onChange) withoutRule.insert(e->name);
  }
  EXPECT_EQ((std::set<std::string>{"maxConnections", "maxConnections10"}), withoutRule);
}

// The window places every control of the model exactly once, by its name and
// as its kind; a name the model does not know would show here, not as a
// missing control at run time.
TEST(PanelControls, TheLayoutPlacesEveryModelControlOnce) {
  Panel panel;
  std::multiset<std::string> model{std::string("Combo ") + panel.rwinMultiples.name}, placed;
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
  for (const char* name : {"isdn", "customMode", "mtu576", "ttl32", "cache0", "rwinMultiple",
                           "keepAliveDefault", "blackHoleDetect"}) {
    panel.SetChecked(*panel.FindBox(name), true);
  }
}

TEST(ChoiceMechanics, CheckingAChoiceUnchecksOnlyItsOwnGroup) {
  Panel panel;
  int handlerRuns = 0;
  Baseline(panel, &handlerRuns);
  panel.SetChecked(panel.mtuCustom, true);
  EXPECT_EQ((std::set<std::string>{"isdn", "customMode", "mtuCustom", "ttl32", "cache0",
                                   "rwinMultiple", "keepAliveDefault", "blackHoleDetect"}),
            Capture(panel).checked);
  // The method group holds boxes of two naming families; membership is by
  // number.
  panel.SetChecked(panel.automatic2, true);
  EXPECT_FALSE(panel.customMode.checked);
  EXPECT_FALSE(panel.automatic1.checked);
  EXPECT_EQ(0, handlerRuns);
}

TEST(ChoiceMechanics, UncheckingAChoiceFromCodeLeavesItChecked) {
  Panel panel;
  int handlerRuns = 0;
  Baseline(panel, &handlerRuns);
  const std::set<std::string> before = Capture(panel).checked;
  panel.SetChecked(panel.mtu576, false);
  panel.SetChecked(panel.isdn, false);
  EXPECT_EQ(before, Capture(panel).checked);
  panel.SetChecked(panel.blackHoleDetect, false);
  EXPECT_FALSE(panel.blackHoleDetect.checked);
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
      {"autoDiscovery", true, true, 1, nullptr},     // independent, off -> on
      {"blackHoleDetect", true, false, 1, nullptr},  // independent, on -> off
      {"mtu1500", true, true, 1, "mtu576"},          // a choice moves
      {"mtu576", true, true, 1, nullptr},            // a checked choice stays; handler reruns
      {"mtuCustom", false, false, 0, nullptr},       // a disabled box ignores the click
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
  panel.customMtu.onChange = [&] { seen.push_back(panel.customMtu.text); };
  panel.SetText(panel.customMtu, "0");
  panel.SetText(panel.customMtu, "576");
  seen.push_back("returned");
  panel.SetText(panel.customMtu, "576");
  panel.SetText(panel.customMtu, "");
  EXPECT_EQ((std::vector<std::string>{"576", "returned", ""}), seen);
}

TEST(PanelFields, OnlyAPickInAnOpenListRunsTheMultipleRule) {
  Panel panel;
  int runs = 0;
  panel.rwinMultiples.onChange = [&] { ++runs; };
  panel.SetItemIndex(2);
  EXPECT_EQ(0, runs);
  panel.Pick(4);  // locked: the user cannot pick
  EXPECT_EQ(2, panel.rwinMultiples.itemIndex);
  EXPECT_EQ(0, runs);
  panel.Open(panel.rwinMultiples);
  panel.Pick(4);
  panel.Pick(4);  // picking the same item again is still a pick
  EXPECT_EQ(4, panel.rwinMultiples.itemIndex);
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
      {"mtu576", "customMtu", "576", false},
      {"mtu1500", "customMtu", "1500", false},
      {"mtuCustom", "customMtu", nullptr, true},
      {"ttl32", "customTtl", "32", false},
      {"ttl64", "customTtl", "64", false},
      {"ttl128", "customTtl", "128", false},
      {"ttlCustom", "customTtl", nullptr, true},
      {"cache0", "customCache", "0", false},
      {"cache16", "customCache", "16", false},
      {"cache32", "customCache", "32", false},
      {"cacheCustom", "customCache", nullptr, true},
      {"keepAliveDefault", "customKeepAlive", "600", false},
      {"keepAliveCustom", "customKeepAlive", nullptr, true},
      {"rwinMultiple", "customRwin", nullptr, false},
      {"rwinCustom", "customRwin", nullptr, true},
  };
  for (const Case& c : cases) {
    TIZelvora fresh(registry, profiles, platform);
    EditCtl& edit = *fresh.FindEdit(c.edit);
    fresh.Open(edit);
    fresh.SetText(edit, "777");
    const bool comboWasOpen = fresh.rwinMultiples.enabled;
    fresh.Click(*fresh.FindBox(c.choice));
    EXPECT_EQ(c.textAfter ? c.textAfter : "777", edit.text) << c.choice;
    EXPECT_EQ(c.editOpen, edit.enabled) << c.choice;
    EXPECT_EQ(c.editOpen ? clWindow : clBtnFace, edit.color) << c.choice;
    EXPECT_TRUE(fresh.FindBox(c.choice)->checked) << c.choice;
    // Only the receive-window choices move the list's lock.
    const bool comboOpen = std::string(c.choice) == "rwinMultiple" ? true
                           : std::string(c.choice) == "rwinCustom" ? false
                                                                   : comboWasOpen;
    EXPECT_EQ(comboOpen, fresh.rwinMultiples.enabled) << c.choice;
  }
}

TEST_F(PanelTest, MultipleWithNothingPickedOpensTheListAndKeepsTheWindow) {
  Put("customRwin", "12345");
  const PanelState before = Capture(w);
  Click("rwinMultiple");
  PanelState expected = before;
  expected.checked.erase("rwinCustom");
  expected.checked.insert("rwinMultiple");
  expected.open = {"rwinMultiples"};
  EXPECT_EQ(expected, Capture(w));
}

}  // namespace
}  // namespace iz::test
