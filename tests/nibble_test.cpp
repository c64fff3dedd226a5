#include "codegen/nibble.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

TEST(MakeNibble, FirstCellReadIsTheMostSignificantBit) {
  struct Case {
    CellValue a, b, c, d;
    const char* bits;
  };
  const Case cases[] = {
      {0, 0, 0, 1, "0001"},
      {1, 0, 0, 0, "1000"},
      {1, 0, 1, 0, "1010"},
      {1, 1, 1, 1, "1111"},
      {0, 0, 0, 0, "0000"},
      // Only exactly 1 is lit: the dimmed state and stray values are clear.
      {2, -1, 32767, -32768, "0000"},
      {2, 1, -1, 1, "0101"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(makenibble(c.a, c.b, c.c, c.d), c.bits)
        << c.a << "," << c.b << "," << c.c << "," << c.d;
  }
}

TEST(ConvHex, EveryBitStringGivesItsUpperCaseDigit) {
  const char* const digits = "0123456789ABCDEF";
  for (int value = 0; value < 16; ++value) {
    std::string bits;
    for (int weight = 8; weight >= 1; weight /= 2) {
      bits += (value & weight) ? '1' : '0';
    }
    EXPECT_EQ(convhex(bits, 'x'), digits[value]) << bits;
  }
}

TEST(ConvHex, TextThatIsNoBitStringKeepsTheCurrentDigit) {
  for (const char* caption : {"", "000", "00000", "0001 ", " 0001", "0o01", "0002", "1e10", "F"}) {
    EXPECT_EQ(convhex(caption, '7'), '7') << '"' << caption << '"';
  }
}

}  // namespace
}  // namespace tolvane
