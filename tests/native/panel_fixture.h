#pragma once
// A main window over the substitute store and platform, and the whole panel
// state as one comparable value, for the panel, profile and rule tests.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>

#include "commands/izelvora.h"
#include "native/fake_platform.h"
#include "shared/fakes.h"
#include "store/memory_registry.h"

namespace iz::test {

// Everything a user can see of the panel's values: texts, which boxes are
// checked, which fields are open, and the picked multiple.
struct PanelState {
  std::map<std::string, std::string> texts;  // customTtl..maxConnections10
  std::set<std::string> checked;             // every checked box by name
  std::set<std::string> open;                // open fields, and any whose colour disagrees
  int comboItem = -1;

  bool operator==(const PanelState& o) const {
    return texts == o.texts && checked == o.checked && open == o.open && comboItem == o.comboItem;
  }
};

inline std::ostream& operator<<(std::ostream& out, const PanelState& s) {
  out << "\n  texts:";
  for (const auto& [name, text] : s.texts) out << ' ' << name << "=\"" << text << '"';
  out << "\n  checked:";
  for (const auto& name : s.checked) out << ' ' << name;
  out << "\n  open:";
  for (const auto& name : s.open) out << ' ' << name;
  out << "\n  rwinMultiples: " << s.comboItem << '\n';
  return out;
}

// A field is open (enabled, window colour) or locked (disabled, button-face
// colour). The 9x reader disables fields without recolouring them, so any
// other combination is recorded by name with what it is, and a whole-state
// comparison shows it.
inline PanelState Capture(const Panel& panel) {
  PanelState s;
  auto field = [&s](const char* name, bool enabled, std::uint32_t color) {
    const bool windowColour = color == clWindow;
    if (enabled && windowColour) {
      s.open.insert(name);
    } else if (enabled || color != clBtnFace) {
      s.open.insert(std::string(name) + (enabled ? " (enabled" : " (disabled") + ", colour " +
                    std::to_string(color) + ")");
    }
  };
  for (const EditCtl* e : panel.Edits()) {
    s.texts[e->name] = e->text;
    field(e->name, e->enabled, e->color);
  }
  for (const CheckBoxCtl* b : panel.Boxes()) {
    if (b->checked) s.checked.insert(b->name);
  }
  field(panel.rwinMultiples.name, panel.rwinMultiples.enabled, panel.rwinMultiples.color);
  s.comboItem = panel.rwinMultiples.itemIndex;
  return s;
}

// A main window whose registry, Win.ini and platform are all in memory.
struct MemoryMachine {
  MemoryRegistry registry;
  MemoryProfiles profiles;
  FakePlatform platform;
  TIZelvora w{registry, profiles, platform};
};

class PanelTest : public ::testing::Test, public MemoryMachine {
 protected:
  // A user's click on a box named as in the window.
  void Click(const std::string& name) {
    CheckBoxCtl* box = w.FindBox(name);
    ASSERT_NE(box, nullptr) << name;
    w.Click(*box);
  }
  // A field's whole new text at once, as a paste or a reader sets it.
  void Put(const std::string& edit, const std::string& text) {
    EditCtl* e = w.FindEdit(edit);
    ASSERT_NE(e, nullptr) << edit;
    w.SetText(*e, text);
  }
};

}  // namespace iz::test
