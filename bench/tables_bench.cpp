// The three tables from an in-memory grid, beside the fastest table text we
// know how to write: each byte from bit masks, two digits from a 16-entry
// table, no intermediate strings.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "codegen/commands.h"
#include "codegen/output_box.h"

namespace tolvane {
namespace {

MemoryGrid randomGrid() {
  MemoryGrid grid;
  std::mt19937 random(1);
  std::bernoulli_distribution lit(0.5);
  for (int cell = 1; cell <= kCellCount; ++cell) {
    grid.setValue(cell, lit(random) ? kTicked : kClear);
  }
  return grid;
}

void BM_CreateCode(benchmark::State& state) {
  const MemoryGrid grid = randomGrid();
  StringBox pf0, pf1, pf2;
  for (auto _ : state) {
    createCode(grid, {pf0, pf1, pf2});
    benchmark::DoNotOptimize(pf2.text().data());
  }
}
BENCHMARK(BM_CreateCode);

// The lower bound: a mask per column, precomputed, and one pass per row.
void BM_LowerBound(benchmark::State& state) {
  const MemoryGrid grid = randomGrid();
  static constexpr char kHex[] = "0123456789ABCDEF";
  struct Bit {
    int table;
    std::uint8_t mask;
  };
  std::array<Bit, kColumns> bits{};
  for (int c = 1; c <= 4; ++c) bits[c - 1] = {0, std::uint8_t(0x10 << (c - 1))};
  for (int c = 5; c <= 12; ++c) bits[c - 1] = {1, std::uint8_t(0x80 >> (c - 5))};
  for (int c = 13; c <= 20; ++c) bits[c - 1] = {2, std::uint8_t(1 << (c - 13))};
  std::array<std::string, 3> tables;
  for (std::string& table : tables) table.assign(30, ' ');
  for (auto _ : state) {
    for (int row = kRows; row >= 1; --row) {
      std::uint8_t bytes[3] = {0, 0, 0};
      for (int c = 1; c <= kColumns; ++c) {
        if (isLit(grid.value(cellNumber(row, c)))) {
          bytes[bits[c - 1].table] |= bits[c - 1].mask;
        }
      }
      const int at = (kRows - row) * 4;
      for (int t = 0; t < 3; ++t) {
        tables[t][at] = kHex[bytes[t] >> 4];
        tables[t][at + 1] = kHex[bytes[t] & 15];
        if (row > 1) {
          tables[t][at + 2] = ',';
          tables[t][at + 3] = ' ';
        }
      }
    }
    benchmark::DoNotOptimize(tables[2].data());
  }
}
BENCHMARK(BM_LowerBound);

}  // namespace
}  // namespace tolvane

BENCHMARK_MAIN();
