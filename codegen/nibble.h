// Four cells to a bit string, a bit string to a hex digit.
#ifndef TOLVANE_CODEGEN_NIBBLE_H_
#define TOLVANE_CODEGEN_NIBBLE_H_

#include <string>
#include <string_view>

#include "ui/playfield_grid.h"

namespace tolvane {

// The bit string of four cell values in reading order, first value first:
// "1" for a lit cell, "0" for any other value.
std::string makenibble(CellValue first, CellValue second, CellValue third, CellValue fourth);

// The upper-case hex digit of one of the sixteen four-character bit strings.
// Any other text (compared exactly: no trimming, no case folding) is not a
// bit string, and the current digit is returned unchanged.
char convhex(std::string_view bits, char current);

}  // namespace tolvane

#endif  // TOLVANE_CODEGEN_NIBBLE_H_
