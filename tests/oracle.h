// The tables as a game programmer works them out by hand, from the bit
// weights of the registers, without the code under test.
#ifndef TOLVANE_TESTS_ORACLE_H_
#define TOLVANE_TESTS_ORACLE_H_

#include <array>
#include <cstdint>
#include <string>

namespace tolvane::testing {

using Drawing = std::array<std::int16_t, 160>;  // cell values, Check1 first

// Column c of a row lights, in its register, PF0 (c = 1..4) 0x10 << (c - 1),
// PF1 (5..12) 0x80 >> (c - 5), PF2 (13..20) 0x01 << (c - 13).
inline std::string oracleTable(const Drawing& cells, int reg) {
  const int first = reg == 0 ? 1 : reg == 1 ? 5 : 13, last = reg == 0 ? 4 : reg == 1 ? 12 : 20;
  std::string table;
  for (int row = 8; row >= 1; --row) {
    int byte = 0;
    for (int c = first; c <= last; ++c)
      if (cells[(row - 1) * 20 + (c - 1)] == 1)
        byte += reg == 0 ? 0x10 << (c - 1) : reg == 1 ? 0x80 >> (c - 5) : 1 << (c - 13);
    table += row == 8 ? "" : ", ";
    table += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
  }
  return table;
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_ORACLE_H_
