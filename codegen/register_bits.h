// The playfield bit order, in one place.
//
// The console draws the left half of a line from PF0 bits 4..7, then PF1
// bits 7..0, then PF2 bits 0..7. Each hex digit of a register byte is read
// from four columns of a row; the first column read becomes the digit's
// weight-8 bit, the last its weight-1 bit.
#ifndef TOLVANE_CODEGEN_REGISTER_BITS_H_
#define TOLVANE_CODEGEN_REGISTER_BITS_H_

#include <array>

#include "ui/playfield_grid.h"

namespace tolvane {

using DigitColumns = std::array<int, 4>;

// PF0: columns 1..4 are bits 4..7; the low digit is always 0.
inline constexpr DigitColumns kPf0HighDigit = {4, 3, 2, 1};
// PF1: columns 5..12 are bits 7..0.
inline constexpr DigitColumns kPf1HighDigit = {5, 6, 7, 8};
inline constexpr DigitColumns kPf1LowDigit = {9, 10, 11, 12};
// PF2: columns 13..20 are bits 0..7, the mirror image of PF1.
inline constexpr DigitColumns kPf2LowDigit = {16, 15, 14, 13};
inline constexpr DigitColumns kPf2HighDigit = {20, 19, 18, 17};

// The bit of its register's byte that a column sets (0..7).
constexpr int bitOfColumn(int column) {
  const auto weightIn = [column](const DigitColumns& digit, int baseBit) {
    for (int i = 0; i < 4; ++i) {
      if (digit[i] == column) return baseBit + 3 - i;
    }
    return -1;
  };
  for (const int bit :
       {weightIn(kPf0HighDigit, 4), weightIn(kPf1HighDigit, 4), weightIn(kPf1LowDigit, 0),
        weightIn(kPf2HighDigit, 4), weightIn(kPf2LowDigit, 0)}) {
    if (bit >= 0) return bit;
  }
  return -1;
}

static_assert(bitOfColumn(1) == 4 && bitOfColumn(4) == 7);
static_assert(bitOfColumn(5) == 7 && bitOfColumn(12) == 0);
static_assert(bitOfColumn(13) == 0 && bitOfColumn(20) == 7);

}  // namespace tolvane

#endif  // TOLVANE_CODEGEN_REGISTER_BITS_H_
