#include "profiles/number.h"

#include <cstdint>
#include <limits>

#include "store/error.h"

namespace iz {

namespace {

int DigitValue(char c, int base) {
  int v;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (base == 16 && c >= 'a' && c <= 'f') {
    v = c - 'a' + 10;
  } else if (base == 16 && c >= 'A' && c <= 'F') {
    v = c - 'A' + 10;
  } else {
    return -1;
  }
  return v < base ? v : -1;
}

}  // namespace

// Hexadecimal digits give a magnitude just as decimal ones do, never a bit
// pattern: "$FFFFFFFFFFFFFFFF" is 2^64 - 1 and so out of range, not -1. The
// sign applies to that magnitude, so the one value whose magnitude exceeds
// INT64_MAX, -2^63, is accepted with a sign in either base
// ("-9223372036854775808", "-$8000000000000000") and "$8000000000000000"
// without one is out of range. A number typed in either base thus means the
// same value, and the field's text reads the same in the panel's rules and in
// the appliers.
bool TryReadNumber(const std::string& text, std::int64_t* value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;

  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) return false;  // no digits: "", "-", "$", "0x"

  // The magnitude is gathered unsigned; the limit is INT64_MAX, or one more
  // for a negative number.
  const std::uint64_t limit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
  std::uint64_t magnitude = 0;
  for (; i < n; ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) return false;
    if (magnitude > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) {
      return false;
    }
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }

  // Negating in unsigned arithmetic keeps -2^63 representable; the conversion
  // back to signed is the two's-complement one.
  *value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  return true;
}

std::int64_t ReadNumber(const std::string& text) {
  std::int64_t value = 0;
  return TryReadNumber(text, &value) ? value : 0;
}

std::int64_t ReadWholeNumber(const std::string& text) {
  std::int64_t value = 0;
  if (!TryReadNumber(text, &value)) throw Error(FormatMessage(kNotAnInteger, text));
  return value;
}

}  // namespace iz
