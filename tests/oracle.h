// The tables as a game programmer would work them out by hand, from the
// register bit weights, without the code under test.
#ifndef TOLVANE_TESTS_ORACLE_H_
#define TOLVANE_TESTS_ORACLE_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tolvane::testing {

// Each byte from the register's bit weights as the console
// draws them, left to right. Column c of a row sets, in its register,
// PF0 (c = 1..4) 0x10 << (c - 1), PF1 (5..12) 0x80 >> (c - 5),
// PF2 (13..20) 0x01 << (c - 13).
inline std::string oracleTable(const std::array<std::int16_t, 160>& cells, int reg) {
  static const int kFirst[] = {1, 5, 13}, kLast[] = {4, 12, 20};
  const auto weight = [reg](int c) {
    return reg == 0 ? 0x10 << (c - 1) : reg == 1 ? 0x80 >> (c - 5) : 1 << (c - 13);
  };
  std::string table;
  for (int row = 8; row >= 1; --row) {
    int byte = 0;
    for (int c = kFirst[reg]; c <= kLast[reg]; ++c) {
      if (cells[(row - 1) * 20 + (c - 1)] == 1) byte += weight(c);
    }
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    table += (row == 8 ? "" : ", ") + std::string(hex);
  }
  return table;
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_ORACLE_H_
