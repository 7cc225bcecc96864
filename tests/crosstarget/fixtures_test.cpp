// The comparison must say where a build's output leaves its fixture.
#include <gtest/gtest.h>

#include <string>

#include "fixtures.h"

namespace {

TEST(FixtureCompare, NamesTheFirstDifferingByte) {
  const struct {
    std::string expected, got;
    bool text;
    std::string want;
  } cases[] = {
      {"same", "same", false, ""},
      {std::string("\x00\x01\x02", 3), std::string("\x00\x01\xFF", 3), false,
       "first difference at byte 2: expected 0x02, got 0xFF; expected 3 bytes, got 3"},
      {"abcd", "ab", false, "first difference at byte 2: got ends there; expected 4 bytes, got 2"},
      {"ab", "abc", false, "first difference at byte 2: got goes on past the expected end; expected 2 bytes, got 3"},
      {"", "x", false, "first difference at byte 0: got goes on past the expected end; expected 0 bytes, got 1"},
      {"1 a\n2 b\n3 c\n", "1 a\n2 x\n3 c\n", true,
       "first difference at byte 6 (line 2): expected 0x62, got 0x78; expected 12 bytes, got 12\n"
       "  expected line: 2 b\n  got line:      2 x"},
      {"1 a\n2 b\n", "1 a\n", true,
       "first difference at byte 4 (line 2): got ends there; expected 8 bytes, got 4\n"
       "  expected line: 2 b\n  got line:      "},
      {"x\n", "y\n", true,
       "first difference at byte 0 (line 1): expected 0x78, got 0x79; expected 2 bytes, got 2\n"
       "  expected line: x\n  got line:      y"},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstDifference(c.expected, c.got, c.text), c.want) << c.expected;
}

TEST(FixtureCompare, HexBytesAreUpperCaseAndBlankSeparated) {
  const uint8_t b[] = {0x00, 0x3C, 0xF7};
  EXPECT_EQ(HexBytes(b, 3), "00 3C F7");
  EXPECT_EQ(HexBytes(b, 0), "");
}

}  // namespace
