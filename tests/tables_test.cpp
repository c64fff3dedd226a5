// The table generator and the two commands, without a window.
#include "codegen/tables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codegen/commands.h"
#include "codegen/nibble.h"
#include "tests/oracle.h"

namespace tolvane {
namespace {

using Generator = void (*)(const Grid&, OutputBox&);
constexpr Generator kGenerators[] = {makepf0, makepf1, makepf2};
constexpr const char* kZeros = "00, 00, 00, 00, 00, 00, 00, 00";

std::string tableOf(int reg, const Grid& grid) {
  StringBox box;
  box.setText("typed by the user, or an earlier table");
  kGenerators[reg](grid, box);
  return box.text();
}

TEST(Tables, WorkedExamples) {
  const struct {
    int reg;
    std::vector<int> ticked;
    const char* table;
  } examples[] = {
      {0, {141}, "10, 00, 00, 00, 00, 00, 00, 00"},
      {0, {1, 4}, "00, 00, 00, 00, 00, 00, 00, 90"},
      {0, {141, 122, 103, 84}, "10, 20, 40, 80, 00, 00, 00, 00"},
      {1, {145}, "80, 00, 00, 00, 00, 00, 00, 00"},
      {1, {145, 147, 149, 150, 152}, "AD, 00, 00, 00, 00, 00, 00, 00"},
      {1, {145, 126, 107, 88, 69, 50, 31, 12}, "80, 40, 20, 10, 08, 04, 02, 01"},
      {2, {153}, "01, 00, 00, 00, 00, 00, 00, 00"},
      {2, {157}, "10, 00, 00, 00, 00, 00, 00, 00"},
      {2, {153, 154, 155, 156}, "0F, 00, 00, 00, 00, 00, 00, 00"},
      {2, {153, 134, 115, 96, 77, 58, 39, 20}, "01, 02, 04, 08, 10, 20, 40, 80"},
  };
  for (const auto& [reg, ticked, table] : examples) {
    MemoryGrid grid;
    for (const int cell : ticked) grid.setValue(cell, kTicked);
    EXPECT_EQ(tableOf(reg, grid), table) << "PF" << reg << ::testing::PrintToString(ticked);
  }
}

// Any value but exactly 1 is a clear pixel; drawings run from empty to full.
TEST(Tables, MatchTheBitWeightsOnRandomGrids) {
  constexpr CellValue kValues[] = {0, 1, 2, -1, 32767, -32768};
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> pick(0, 5);
  for (int round = 0; round < 2000; ++round) {
    std::bernoulli_distribution lit(round % 11 / 10.0);  // sparse to crowded
    testing::Drawing cells{};
    MemoryGrid grid;
    for (int cell = 1; cell <= kCellCount; ++cell) {
      cells[cell - 1] = lit(random) ? CellValue{1} : kValues[pick(random)];
      grid.setValue(cell, cells[cell - 1]);
    }
    for (int reg = 0; reg < 3; ++reg) {
      ASSERT_EQ(tableOf(reg, grid), testing::oracleTable(cells, reg)) << round;
    }
  }
}

TEST(ConvHex, TextThatIsNoBitStringKeepsTheCurrentDigit) {
  for (const char* caption : {"", "000", "00000", "0001 ", " 0001", "0o01", "0002", "1e10"}) {
    EXPECT_EQ(convhex(caption, '7'), '7') << '"' << caption << '"';
  }
}

// Clear Fields clears every cell, dimmed ones too, and writes three zero
// tables over what the boxes held; Create Code leaves the grid alone.
TEST(Commands, ClearFieldsThenCreateCode) {
  MemoryGrid grid;
  for (int cell = 1; cell <= kCellCount; ++cell)
    grid.setValue(cell, cell == 80 ? kDimmed : kTicked);
  StringBox pf0, pf1, pf2;
  pf1.setText("typed");
  clearFields(grid, {pf0, pf1, pf2});
  for (int cell = 1; cell <= kCellCount; ++cell) ASSERT_EQ(grid.value(cell), kClear) << cell;
  for (const StringBox* box : {&pf0, &pf1, &pf2}) EXPECT_EQ(box->text(), kZeros);

  grid.setValue(141, kTicked);
  createCode(grid, {pf0, pf1, pf2});
  EXPECT_EQ(pf0.text(), "10, 00, 00, 00, 00, 00, 00, 00");
  EXPECT_EQ(grid.value(141), kTicked);
}

}  // namespace
}  // namespace tolvane
