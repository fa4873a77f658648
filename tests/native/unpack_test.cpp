// The unpacking of the program's packed resources: the toolbar's real icons
// are checked end to end (tests/e2e/startup_e2e.cpp); here the edges of the
// format, and data that must be refused without reading or writing past it.
#include "model/unpack.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace iz {
namespace {

// The first four bytes give the size; 0x23: two literals, then a copy of 7.
std::string Unpacked(const std::vector<std::uint8_t>& packed, bool* ok) {
  std::vector<std::uint8_t> out = {'x'};
  *ok = Unpack(packed.data(), packed.size(), &out);
  return std::string(out.begin(), out.end());
}

TEST(Unpack, LiteralsThenACopyThatOverlapsItself) {
  bool ok = false;
  EXPECT_EQ(Unpacked({9, 0, 0, 0, 0x23, 'a', 'b', 2, 0}, &ok), "ababababa");
  EXPECT_TRUE(ok);
  // Lengths of 15 and more continue in bytes while they are 255: 15 + 255 +
  // 1 = 271 literals, then a copy of 4 + 15 + 0 = 19.
  std::vector<std::uint8_t> packed = {34, 1, 0, 0, 0xFF, 255, 1};
  for (int i = 0; i < 271; ++i) packed.push_back(static_cast<std::uint8_t>('a' + i % 26));
  for (std::uint8_t b : {26, 0, 0}) packed.push_back(b);
  const std::string text = Unpacked(packed, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text.size(), 290u);
  EXPECT_EQ(text.substr(271), text.substr(245, 19));
}

TEST(Unpack, RefusesDataOutsideTheFormatAndLeavesNothing) {
  const std::vector<std::vector<std::uint8_t>> broken = {
      {9, 0, 0},                           // no whole size
      {9, 0, 0, 0, 0x23, 'a', 'b'},        // ends before the size is reached
      {9, 0, 0, 0, 0x23, 'a', 'b', 3, 0},  // copies from before the start
      {9, 0, 0, 0, 0x23, 'a', 'b', 0, 0},  // copies from where it writes
      {4, 0, 0, 0, 0x23, 'a', 'b', 2, 0},  // copies past the size
      {2, 0, 0, 0, 0x30, 'a', 'b', 'c'},   // literals past the size
      {9, 0, 0, 0, 0xF0, 255},             // literals past the data
      {2, 0, 0, 0, 0x20, 'a', 'b', 0},     // bytes after the end
  };
  for (const auto& packed : broken) {
    bool ok = true;
    EXPECT_EQ(Unpacked(packed, &ok), "") << ::testing::PrintToString(packed);
    EXPECT_FALSE(ok);
  }
}

}  // namespace
}  // namespace iz
