#pragma once
// The tuning panel as a model: every control named by what it holds, with the
// choice mechanics and the lock/open convention. The Win32 view mirrors it and
// forwards the user's events; it never changes the model any other way.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace iz {

inline constexpr std::uint32_t clBtnFace = 0x8000000F;  // locked field
inline constexpr std::uint32_t clWindow = 0x80000005;   // open field

// The choice groups. Choosing a box of a group unchecks the others of the
// same group window-wide; independent boxes are plain on/off options.
namespace Group {
inline constexpr int kIndependent = 0;
inline constexpr int kType = 1;
inline constexpr int kMethod = 2;
inline constexpr int kMtu = 4;
inline constexpr int kRwin = 5;
inline constexpr int kCache = 6;
inline constexpr int kTtl = 7;
inline constexpr int kKeepAlive = 8;
}  // namespace Group

struct CheckBoxCtl {
  const char* name;
  const char* caption;
  const char* hint;  // nullptr: no tooltip
  int group;         // Group::k...
  bool checked = false;
  bool enabled = true;
  std::function<void()> onClick;  // empty for the independent boxes
};

struct EditCtl {
  const char* name;
  std::string text = "0";
  bool enabled = false;
  std::uint32_t color = clBtnFace;
  std::function<void()> onChange;  // the change rule; empty for maxConnections and maxConnections10
};

struct ComboCtl {
  const char* name;
  int itemIndex = -1;  // -1: nothing picked; 0..6: "x4".."x16"
  bool enabled = false;
  std::uint32_t color = clBtnFace;
  std::function<void()> onChange;
};

inline constexpr const char* kComboItems[] = {"x4", "x6", "x8", "x10", "x12", "x14", "x16"};
inline constexpr int kComboMultiples[] = {4, 6, 8, 10, 12, 14, 16};

class Panel {
 public:
  Panel();
  virtual ~Panel() = default;
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // Connection types (group 1).
  CheckBoxCtl modem, isdn, cableDsl, pppoe, extreme;
  // Methods (group 2).
  CheckBoxCtl automatic1, automatic2, automatic3, customMode;
  // Fixed choices: MTU (4), TTL (7), cache (6), receive window (5), keep-alive (8).
  CheckBoxCtl mtu576, mtu1500, mtuCustom;
  CheckBoxCtl ttl32, ttl64, ttl128, ttlCustom;
  CheckBoxCtl cache0, cache16, cache32, cacheCustom;
  CheckBoxCtl rwinMultiple, rwinCustom;
  CheckBoxCtl keepAliveDefault, keepAliveCustom;
  // Independent options.
  CheckBoxCtl blackHoleDetect, autoDiscovery, slowNet, sack, maxDupAcks, comPorts, largeWindows,
      comBuffer, vcache;
  CheckBoxCtl bsdUrgent, maxConnect, maxSocket;

  EditCtl customTtl, customMtu, customCache, customRwin, customKeepAlive, maxConnections,
      maxConnections10;
  ComboCtl rwinMultiples;
  // The MTU that "Find Largest MTU" measured and put into the panel; 0 for
  // none. It describes the user's own path, so a profile loaded after it
  // keeps it, until the MTU field holds another number.
  int measuredMtu = 0;

  // Choice mechanics: setting the current state does nothing; checking a box
  // of a group unchecks the rest of that group window-wide; unchecking a
  // group box does nothing. Never runs a click handler.
  void SetChecked(CheckBoxCtl& box, bool checked);
  // A user's click on an enabled box: toggles by the rules above, then runs
  // its click handler.
  void Click(CheckBoxCtl& box);
  // Setting a different text runs the change rule at once; the same text
  // does nothing.
  void SetText(EditCtl& edit, const std::string& text);
  void Lock(EditCtl& edit);
  void Open(EditCtl& edit);
  void Lock(ComboCtl& combo);
  void Open(ComboCtl& combo);
  // Only the enabled state, the colour stays (the 9x reader's last step).
  void Disable(EditCtl& edit) { edit.enabled = false; }
  void Disable(ComboCtl& combo) { combo.enabled = false; }
  // From code: runs nothing.
  void SetItemIndex(int index) { rwinMultiples.itemIndex = index; }
  // A user's pick: selects the item, then runs ComboBox1Change.
  void Pick(int index);

  // Every box / edit field in creation order, for the view and for tests.
  const std::vector<CheckBoxCtl*>& Boxes() const { return boxes_; }
  const std::vector<EditCtl*>& Edits() const { return edits_; }
  CheckBoxCtl* FindBox(const std::string& name) const;
  // The checked box of a choice group, nullptr when none is checked.
  CheckBoxCtl* CheckedIn(int group) const;
  EditCtl* FindEdit(const std::string& name) const;

 private:
  std::vector<CheckBoxCtl*> boxes_;
  std::vector<EditCtl*> edits_;
};

}  // namespace iz
