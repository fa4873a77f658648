#include "profiles/input_rules.h"

#include <cstdint>
#include <string>

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

constexpr ValueMark kTtlMarks[] = {{32, &Panel::ttl32}, {64, &Panel::ttl64}, {128, &Panel::ttl128}};
constexpr ValueMark kCacheMarks[] = {
    {0, &Panel::cache0}, {16, &Panel::cache16}, {32, &Panel::cache32}};
constexpr ValueMark kKeepAliveMarks[] = {{600, &Panel::keepAliveDefault}};
constexpr ValueMark kMtuMarks[] = {{576, &Panel::mtu576}, {1500, &Panel::mtu1500}};

constexpr MarkRule kTtlRule = {kTtlMarks, 3, &Panel::ttlCustom};
constexpr MarkRule kCacheRule = {kCacheMarks, 3, &Panel::cacheCustom};
constexpr MarkRule kKeepAliveRule = {kKeepAliveMarks, 1, &Panel::keepAliveCustom};
constexpr MarkRule kMtuRule = {kMtuMarks, 2, &Panel::mtuCustom};

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

void TtlChanged(Panel& panel) { Mark(panel, kTtlRule, panel.customTtl.text); }

void CacheChanged(Panel& panel) { Mark(panel, kCacheRule, panel.customCache.text); }

void KeepAliveChanged(Panel& panel) { Mark(panel, kKeepAliveRule, panel.customKeepAlive.text); }

// The receive window follows a new MTU whenever a multiple is picked, even a
// window typed under " Custom".
void MtuChanged(Panel& panel) {
  // Any other number in the field is the user's own choice over the measured one.
  if (panel.measuredMtu && panel.customMtu.text != std::to_string(panel.measuredMtu))
    panel.measuredMtu = 0;
  const int item = panel.rwinMultiples.itemIndex;
  if (item >= 0 && item < kComboItemCount) ComputeRwin(panel, kComboMultiples[item]);
  Mark(panel, kMtuRule, panel.customMtu.text);
}

void MarkMtu(Panel& panel) { Mark(panel, kMtuRule, panel.customMtu.text); }

void RwinChanged(Panel& panel) {
  const int item = RwinItem(ReadNumber(panel.customRwin.text));
  if (item < 0) {
    // The list keeps its item: it still says what the MTU rule multiplies by.
    panel.SetChecked(panel.rwinCustom, true);
    return;
  }
  panel.SetItemIndex(item);
  panel.SetChecked(panel.rwinMultiple, true);
}

void RwinMultiplePicked(Panel& panel) {
  const int item = panel.rwinMultiples.itemIndex;
  if (item >= 0 && item < kComboItemCount) ComputeRwin(panel, kComboMultiples[item]);
}

void ComputeRwin(Panel& panel, int multiple) {
  const std::int64_t mtu = ReadNumber(panel.customMtu.text);
  // No MTU (a text that is not a number counts as none), or one of 40 or
  // less, leaves no segment: the window is 0, never negative.
  if (mtu <= 40 || multiple <= 0) {
    panel.SetText(panel.customRwin, "0");
    return;
  }
  panel.SetText(panel.customRwin, ExactProduct(static_cast<std::uint64_t>(mtu - 40),
                                               static_cast<std::uint32_t>(multiple)));
}

bool MtuKeyRejected(char key) { return key >= 'a' && key <= 'z'; }

}  // namespace iz
