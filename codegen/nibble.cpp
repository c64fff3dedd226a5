#include "codegen/nibble.h"

namespace tolvane {

std::string makenibble(CellValue first, CellValue second, CellValue third, CellValue fourth) {
  const CellValue values[] = {first, second, third, fourth};
  std::string bits(4, '0');
  for (int i = 0; i < 4; ++i) {
    if (isLit(values[i])) bits[i] = '1';
  }
  return bits;
}

char convhex(std::string_view bits, char current) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (bits.size() != 4) return current;
  int digit = 0;
  for (const char bit : bits) {
    if (bit != '0' && bit != '1') return current;
    digit = digit * 2 + (bit - '0');
  }
  return kDigits[digit];
}

}  // namespace tolvane
