// The field-number reader against a second reading built on the C library's
// strtoull: both must accept the same texts and give the same values, and the
// lenient and strict readings must follow the strict one.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "profiles/number.h"
#include "store/error.h"

namespace {

bool IsDigitOf(char c, int base) {
  if (c >= '0' && c <= '9') return true;
  return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// Blanks, a sign, "$" or "0x"/"0X" for hexadecimal, then nothing but digits
// of the base: the magnitude comes from strtoull, the range check from the
// sign. Tabs and other white space are not blanks here, unlike for strtoull,
// so the digits are checked before the library sees them.
std::optional<std::int64_t> Reference(const std::string& text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  int base = 10;
  if (text.compare(i, 1, "$") == 0) {
    base = 16;
    i += 1;
  } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  }
  const std::string digits = text.substr(i);
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (!IsDigitOf(c, base)) return std::nullopt;
  }
  errno = 0;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
  if (errno == ERANGE) return std::nullopt;
  constexpr unsigned long long kMaxMagnitude = 9223372036854775807ULL;
  if (magnitude > kMaxMagnitude + (negative ? 1 : 0)) return std::nullopt;
  if (!negative) return static_cast<std::int64_t>(magnitude);
  if (magnitude == kMaxMagnitude + 1) return INT64_MIN;
  return -static_cast<std::int64_t>(magnitude);
}

using fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int64_t> expected = Reference(text);

  std::int64_t value = 12345;
  const bool ok = iz::TryReadNumber(text, &value);
  Check(ok == expected.has_value());
  Check(ok ? value == *expected : value == 12345);  // untouched on failure

  Check(iz::ReadNumber(text) == expected.value_or(0));
  try {
    Check(iz::ReadWholeNumber(text) == *expected);
    Check(ok);
  } catch (const iz::Error& e) {
    Check(!ok);
    // The message is a C string: a NUL in the text ends it there.
    Check(std::string(e.what()) == iz::FormatMessage(iz::kNotAnInteger, text).c_str());
  }

  // The shortest decimal spelling of an accepted value reads back the same.
  if (ok) {
    std::int64_t again = 0;
    Check(iz::TryReadNumber(std::to_string(value), &again) && again == value);
  }
  return 0;
}
