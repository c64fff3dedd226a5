#include "codegen/nibble.h"

namespace tolvane {

std::string makenibble(CellValue first, CellValue second, CellValue third, CellValue fourth) {
  std::string bits;
  for (const CellValue value : {first, second, third, fourth}) {
    bits += isLit(value) ? '1' : '0';
  }
  return bits;
}

std::string convhex(const std::string& bits, const std::string& current) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (bits.size() != 4) return current;
  int digit = 0;
  for (const char bit : bits) {
    if (bit != '0' && bit != '1') return current;
    digit = digit * 2 + (bit - '0');
  }
  return std::string(1, kDigits[digit]);
}

}  // namespace tolvane
