#include "codegen/tables.h"

#include <string>

#include "codegen/nibble.h"
#include "codegen/register_bits.h"

namespace tolvane {
namespace {

constexpr int kBottomRow = kRows;
// Each generator carries the digit convhex produced last. It would only
// show for text that is no bit string, which readNibble never makes.
constexpr char kNoDigitYet = '0';

std::string readNibble(const Grid& grid, int row, const DigitColumns& digit) {
  const auto cell = [&](int i) { return grid.value(cellNumber(row, digit[i])); };
  return makenibble(cell(0), cell(1), cell(2), cell(3));
}

// The first write of a run replaces the box, later ones extend it.
void write(OutputBox& box, bool firstWrite, std::string_view text) {
  if (firstWrite) {
    box.setText(text);
  } else {
    box.append(text);
  }
}

}  // namespace

void makepf0(const Grid& grid, OutputBox& text3) {
  char digit = kNoDigitYet;
  for (int row = kBottomRow; row >= 1; --row) {
    const bool firstRow = row == kBottomRow;
    const std::string bits = readNibble(grid, row, kPf0HighDigit);
    if (!firstRow) text3.append(kSeparator);
    digit = convhex(bits, digit);
    // PF0 draws only bits 4..7, so the low digit is always 0.
    const char byte[] = {digit, '0'};
    write(text3, firstRow, {byte, 2});
  }
}

void makepf1(const Grid& grid, OutputBox& play1) {
  char digit = kNoDigitYet;
  for (int row = kBottomRow; row >= 1; --row) {
    const bool firstRow = row == kBottomRow;
    digit = convhex(readNibble(grid, row, kPf1HighDigit), digit);
    if (!firstRow) play1.append(kSeparator);
    write(play1, firstRow, {&digit, 1});
    digit = convhex(readNibble(grid, row, kPf1LowDigit), digit);
    play1.append({&digit, 1});
  }
}

void makepf2(const Grid& grid, OutputBox& play2) {
  char digit = kNoDigitYet;
  for (int row = kBottomRow; row >= 1; --row) {
    const bool firstRow = row == kBottomRow;
    // The low digit is built first and held until the high digit is known,
    // so the box only ever receives whole bytes.
    digit = convhex(readNibble(grid, row, kPf2LowDigit), digit);
    if (!firstRow) play2.append(kSeparator);
    const char lowDigit = digit;
    digit = convhex(readNibble(grid, row, kPf2HighDigit), digit);
    const char byte[] = {digit, lowDigit};
    write(play2, firstRow, {byte, 2});
  }
}

}  // namespace tolvane
