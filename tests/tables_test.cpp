#include "codegen/tables.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "codegen/output_box.h"
#include "tests/grid_builders.h"
#include "tests/oracle.h"

namespace tolvane {
namespace {

using testing::cellRange;
using testing::columnsInAllRows;
using testing::gridWithTicked;

using Generator = void (*)(const Grid&, OutputBox&);

struct Example {
  std::vector<int> ticked;
  const char* table;
};

std::string tableOf(Generator generate, const Grid& grid) {
  StringBox box;
  box.setText("typed by the user, or an earlier table");
  generate(grid, box);
  return box.text();
}

void expectExamples(Generator generate, const std::vector<Example>& examples) {
  for (const Example& example : examples) {
    EXPECT_EQ(tableOf(generate, gridWithTicked(example.ticked)), example.table)
        << "ticked: " << ::testing::PrintToString(example.ticked);
  }
}

constexpr const char* kZeros = "00, 00, 00, 00, 00, 00, 00, 00";

TEST(Pf0Table, WorkedExamples) {
  expectExamples(makepf0, {
                              {{}, kZeros},
                              {{141}, "10, 00, 00, 00, 00, 00, 00, 00"},
                              {{144}, "80, 00, 00, 00, 00, 00, 00, 00"},
                              {{1}, "00, 00, 00, 00, 00, 00, 00, 10"},
                              {{4}, "00, 00, 00, 00, 00, 00, 00, 80"},
                              {{1, 2, 3, 4}, "00, 00, 00, 00, 00, 00, 00, F0"},
                              {{1, 4}, "00, 00, 00, 00, 00, 00, 00, 90"},
                              {{42}, "00, 00, 00, 00, 00, 20, 00, 00"},
                              {{141, 122, 103, 84}, "10, 20, 40, 80, 00, 00, 00, 00"},
                              {{141, 143, 2, 3}, "50, 00, 00, 00, 00, 00, 00, 60"},
                              {columnsInAllRows(1, 4), "F0, F0, F0, F0, F0, F0, F0, F0"},
                              // Cells of the other registers never reach PF0.
                              {columnsInAllRows(5, 20), kZeros},
                          });
}

TEST(Pf1Table, WorkedExamples) {
  expectExamples(makepf1,
                 {
                     {{}, kZeros},
                     {{145}, "80, 00, 00, 00, 00, 00, 00, 00"},
                     {{148}, "10, 00, 00, 00, 00, 00, 00, 00"},
                     {{149}, "08, 00, 00, 00, 00, 00, 00, 00"},
                     {{152}, "01, 00, 00, 00, 00, 00, 00, 00"},
                     {{5}, "00, 00, 00, 00, 00, 00, 00, 80"},
                     {{12}, "00, 00, 00, 00, 00, 00, 00, 01"},
                     {{5, 6, 7, 8}, "00, 00, 00, 00, 00, 00, 00, F0"},
                     {{145, 152, 9}, "81, 00, 00, 00, 00, 00, 00, 08"},
                     {{145, 147, 149, 150, 152}, "AD, 00, 00, 00, 00, 00, 00, 00"},
                     {{145, 146, 147, 148}, "F0, 00, 00, 00, 00, 00, 00, 00"},
                     {cellRange(145, 152), "FF, 00, 00, 00, 00, 00, 00, 00"},
                     {{145, 126, 107, 88, 69, 50, 31, 12}, "80, 40, 20, 10, 08, 04, 02, 01"},
                     {columnsInAllRows(5, 12), "FF, FF, FF, FF, FF, FF, FF, FF"},
                     {{1, 2, 3, 4, 13, 14, 15, 16, 17, 18, 19, 20}, kZeros},
                 });
}

TEST(Pf2Table, WorkedExamples) {
  expectExamples(makepf2,
                 {
                     {{}, kZeros},
                     {{153}, "01, 00, 00, 00, 00, 00, 00, 00"},
                     {{156}, "08, 00, 00, 00, 00, 00, 00, 00"},
                     {{157}, "10, 00, 00, 00, 00, 00, 00, 00"},
                     {{160}, "80, 00, 00, 00, 00, 00, 00, 00"},
                     {{13}, "00, 00, 00, 00, 00, 00, 00, 01"},
                     {{20}, "00, 00, 00, 00, 00, 00, 00, 80"},
                     {{153, 154, 156, 159, 160}, "CB, 00, 00, 00, 00, 00, 00, 00"},
                     {{153, 154, 155, 156}, "0F, 00, 00, 00, 00, 00, 00, 00"},
                     {cellRange(153, 160), "FF, 00, 00, 00, 00, 00, 00, 00"},
                     {{153, 134, 115, 96, 77, 58, 39, 20}, "01, 02, 04, 08, 10, 20, 40, 80"},
                     {{13, 16, 17, 20}, "00, 00, 00, 00, 00, 00, 00, 99"},
                     {columnsInAllRows(13, 20), "FF, FF, FF, FF, FF, FF, FF, FF"},
                     {cellRange(141, 152), kZeros},
                 });
}

TEST(AllTables, MatchTheBitWeightsOnRandomGrids) {
  constexpr CellValue kValues[] = {0, 1, 2, -1, 32767, -32768};
  constexpr Generator kGenerators[] = {makepf0, makepf1, makepf2};
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> pick(0, 5);
  for (int round = 0; round < 2000; ++round) {
    // Vary the density so that sparse and crowded drawings both occur.
    std::bernoulli_distribution lit(round % 11 / 10.0);
    std::array<CellValue, 160> cells{};
    MemoryGrid grid;
    for (int cell = 1; cell <= 160; ++cell) {
      cells[cell - 1] = lit(random) ? CellValue{1} : kValues[pick(random)];
      grid.setValue(cell, cells[cell - 1]);
    }
    for (int reg = 0; reg < 3; ++reg) {
      ASSERT_EQ(tableOf(kGenerators[reg], grid), testing::oracleTable(cells, reg))
          << "round " << round << ", PF" << reg;
    }
  }
}

}  // namespace
}  // namespace tolvane
