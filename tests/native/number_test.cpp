// Reading a field's text as a whole number, leniently for the panel's rules
// and strictly for the appliers.
#include "profiles/number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/error.h"

namespace iz {
namespace {

constexpr std::int64_t kMax = INT64_MAX;
constexpr std::int64_t kMin = INT64_MIN;

struct Case {
  std::string text;
  std::optional<std::int64_t> value;  // nullopt: not a number
};

const std::vector<Case> kCases = {
    {"0", 0},
    {"576", 576},
    {"00576", 576},
    {"+576", 576},
    {"-576", -576},
    {"   576", 576},
    {"  -12", -12},
    {"$240", 576},
    {"$ff", 255},
    {"$FF", 255},
    {"0x240", 576},
    {"0X240", 576},
    {"-$10", -16},
    {"+0x10", 16},
    {"0x", std::nullopt},
    {"$", std::nullopt},
    {"", std::nullopt},
    {"   ", std::nullopt},
    {"-", std::nullopt},
    {"+-5", std::nullopt},
    {"- 5", std::nullopt},
    {"576 ", std::nullopt},
    {"\t576", std::nullopt},
    {"5 76", std::nullopt},
    {"57a", std::nullopt},
    {"abc", std::nullopt},
    {"ff", std::nullopt},
    {"$0x10", std::nullopt},
    {"0x$10", std::nullopt},
    {"$g", std::nullopt},
    {"1e3", std::nullopt},
    {"1.5", std::nullopt},
    {"9223372036854775807", kMax},
    {"9223372036854775808", std::nullopt},
    {"-9223372036854775808", kMin},
    {"-9223372036854775809", std::nullopt},
    {"99999999999999999999999", std::nullopt},
    {"00000000000000000000000000042", 42},
    // Hexadecimal digits are a magnitude like decimal ones, not a bit
    // pattern: only a signed -2^63 reaches the bottom of the range.
    {"$7FFFFFFFFFFFFFFF", kMax},
    {"$8000000000000000", std::nullopt},
    {"-$8000000000000000", kMin},
    {"0xFFFFFFFFFFFFFFFF", std::nullopt},
    {"$10000000000000000", std::nullopt},
    {"$FFFFFFFF", 4294967295},
};

// Every count the program says agrees with its number, none and many alike.
TEST(Number, ACountAgreesWithWhatItCounts) {
  const struct {
    std::size_t count;
    const char* text;
  } rows[] = {{0, "0 netsh lines"}, {1, "1 netsh line"}, {2, "2 netsh lines"}, {21, "21 netsh lines"}};
  for (const auto& row : rows) EXPECT_EQ(CountText(row.count, "netsh line", "netsh lines"), row.text);
}

TEST(Number, ReadsTheFormsOfAWholeNumberAndNothingElse) {
  for (const Case& c : kCases) {
    std::int64_t value = 12345;
    const bool ok = TryReadNumber(c.text, &value);
    EXPECT_EQ(c.value.has_value(), ok) << '"' << c.text << '"';
    EXPECT_EQ(c.value.value_or(12345), value) << '"' << c.text << "\" (untouched when refused)";
    EXPECT_EQ(c.value.value_or(0), ReadNumber(c.text)) << '"' << c.text << '"';
  }
}

TEST(Number, TheStrictReadingNamesTheRefusedText) {
  for (const Case& c : kCases) {
    if (c.value) {
      EXPECT_EQ(*c.value, ReadWholeNumber(c.text)) << c.text;
      continue;
    }
    try {
      ReadWholeNumber(c.text);
      ADD_FAILURE() << '"' << c.text << "\" was accepted";
    } catch (const Error& e) {
      EXPECT_EQ("'" + c.text + "' is not a valid integer value", std::string(e.what()));
    }
  }
}

}  // namespace
}  // namespace iz
