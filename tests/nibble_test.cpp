#include "codegen/nibble.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

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
