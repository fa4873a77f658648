// The change rules of the value fields: they mark the fixed choice that
// matches a text, keep the receive window in step with the MTU and the picked
// multiple, and filter the MTU field's keys. They never lock, open, reject or
// report anything; a text that is not a number counts as 0.
#include <cstdint>
#include <string>

#include "app/izelvora.h"
#include "profiles/number.h"
#include "profiles/profile_table.h"

namespace iz {

namespace {

struct ValueMark {
  std::int64_t value;
  BoxRef mark;
};

// The fixed choices of a group, and the " Custom" choice for any other number.
struct MarkRule {
  const ValueMark* marks;
  int count;
  BoxRef otherwise;
};

constexpr ValueMark kTtlMarks[] = {
    {32, &Panel::RadioButton5}, {64, &Panel::RadioButton6}, {128, &Panel::RadioButton7}};
constexpr ValueMark kCacheMarks[] = {
    {0, &Panel::RadioButton12}, {16, &Panel::RadioButton13}, {32, &Panel::RadioButton14}};
constexpr ValueMark kKeepAliveMarks[] = {{600, &Panel::RadioButton18}};
constexpr ValueMark kMtuMarks[] = {{576, &Panel::RadioButton9}, {1500, &Panel::RadioButton10}};

constexpr MarkRule kTtlRule = {kTtlMarks, 3, &Panel::RadioButton8};
constexpr MarkRule kCacheRule = {kCacheMarks, 3, &Panel::RadioButton15};
constexpr MarkRule kKeepAliveRule = {kKeepAliveMarks, 1, &Panel::RadioButton19};
constexpr MarkRule kMtuRule = {kMtuMarks, 2, &Panel::RadioButton11};

void Mark(Panel& panel, const MarkRule& rule, const std::string& text) {
  const std::int64_t value = ReadNumber(text);
  for (int i = 0; i < rule.count; ++i) {
    if (rule.marks[i].value == value) {
      panel.SetChecked(panel.*rule.marks[i].mark, true);
      return;
    }
  }
  panel.SetChecked(panel.*rule.otherwise, true);
}

// The segment sizes of the two standard MTUs, 576 and 1500: a receive window
// that is one of their listed multiples selects that multiple in the list,
// whatever the MTU is now.
constexpr std::int64_t kStandardSegments[] = {536, 1460};

constexpr int kComboItemCount = sizeof(kComboMultiples) / sizeof(kComboMultiples[0]);

// The item of a receive window in the lookup, -1 when it has none.
int RwinItem(std::int64_t rwin) {
  for (int i = 0; i < kComboItemCount; ++i) {
    for (std::int64_t segment : kStandardSegments) {
      if (segment * kComboMultiples[i] == rwin) return i;
    }
  }
  return -1;
}

// segment x multiple in decimal, exact even where it does not fit 64 bits:
// a huge MTU must not wrap into a plausible-looking window. Such a text is
// not a number to the rules (so it marks " Custom") and Optimize refuses it
// instead of writing a wrapped value.
std::string ExactProduct(std::uint64_t segment, std::uint32_t multiple) {
  // Three base-10^9 limbs hold any 64-bit value; each limb times a 32-bit
  // multiple plus the carry stays below 2^63.
  constexpr std::uint64_t kLimb = 1000000000;
  std::uint64_t limbs[3] = {segment % kLimb, segment / kLimb % kLimb, segment / kLimb / kLimb};
  std::uint64_t carry = 0;
  for (std::uint64_t& limb : limbs) {
    const std::uint64_t v = limb * multiple + carry;
    limb = v % kLimb;
    carry = v / kLimb;
  }
  std::string text = std::to_string(carry);
  for (int i = 2; i >= 0; --i) {
    const std::string part = std::to_string(limbs[i]);
    text += std::string(9 - part.size(), '0') + part;
  }
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? "0" : text.substr(first);
}

}  // namespace

void TIZelvora::Edit1Change() { Mark(*this, kTtlRule, Edit1.text); }

void TIZelvora::Edit3Change() { Mark(*this, kCacheRule, Edit3.text); }

void TIZelvora::Edit5Change() { Mark(*this, kKeepAliveRule, Edit5.text); }

// The receive window follows a new MTU whenever a multiple is picked, even a
// window typed under " Custom".
void TIZelvora::Edit2Change() {
  const int item = ComboBox1.itemIndex;
  if (item >= 0 && item < kComboItemCount) ComputeRwin(kComboMultiples[item]);
  Mark(*this, kMtuRule, Edit2.text);
}

void TIZelvora::Edit4Change() {
  const int item = RwinItem(ReadNumber(Edit4.text));
  if (item < 0) {
    // The list keeps its item: it still says what the MTU rule multiplies by.
    SetChecked(RadioButton17, true);
    return;
  }
  SetItemIndex(item);
  SetChecked(RadioButton16, true);
}

void TIZelvora::ComboBox1Change() {
  const int item = ComboBox1.itemIndex;
  if (item >= 0 && item < kComboItemCount) ComputeRwin(kComboMultiples[item]);
}

void TIZelvora::ComputeRwin(int multiple) {
  const std::int64_t mtu = ReadNumber(Edit2.text);
  // No MTU (a text that is not a number counts as none), or one of 40 or
  // less, leaves no segment: the window is 0, never negative.
  if (mtu <= 40 || multiple <= 0) {
    SetText(Edit4, "0");
    return;
  }
  SetText(Edit4,
          ExactProduct(static_cast<std::uint64_t>(mtu - 40), static_cast<std::uint32_t>(multiple)));
}

bool TIZelvora::Edit2KeyPress(char key) { return key >= 'a' && key <= 'z'; }

}  // namespace iz
