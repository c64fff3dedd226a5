// The table generator and the two commands, without a window.
#include "codegen/tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/commands.h"
#include "codegen/nibble.h"

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
      {0, {141, 122, 103, 84}, "10, 20, 40, 80, 00, 00, 00, 00"},
      {1, {145, 147, 149, 150, 152}, "AD, 00, 00, 00, 00, 00, 00, 00"},
      {1, {145, 126, 107, 88, 69, 50, 31, 12}, "80, 40, 20, 10, 08, 04, 02, 01"},
      {2, {153, 154, 155, 156}, "0F, 00, 00, 00, 00, 00, 00, 00"},
      {2, {153, 134, 115, 96, 77, 58, 39, 20}, "01, 02, 04, 08, 10, 20, 40, 80"},
  };
  for (const auto& [reg, ticked, table] : examples) {
    MemoryGrid grid;
    for (const int cell : ticked) grid.setValue(cell, kTicked);
    EXPECT_EQ(tableOf(reg, grid), table) << "PF" << reg << ::testing::PrintToString(ticked);
  }
}

// A pixel is lit by exactly 1 and by nothing else a cell may hold. (The
// window's long soak checks random drawings against the bit weights.)
TEST(Tables, AnyValueButOneIsAClearPixel) {
  for (const CellValue value : {0, 2, -1, 32767, -32768}) {
    MemoryGrid grid;
    for (int cell = 1; cell <= kCellCount; ++cell) grid.setValue(cell, value);
    for (int reg = 0; reg < 3; ++reg) EXPECT_EQ(tableOf(reg, grid), kZeros) << value;
  }
}

TEST(ConvHex, TextThatIsNoBitStringKeepsTheCurrentDigit) {
  for (const char* caption : {"", "000", "00000", "0001 ", " 0001", "0o01", "0002", "1e10"})
    EXPECT_EQ(convhex(caption, '7'), '7') << '"' << caption << '"';
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
