// The playfield grid as the table generators see it: 160 numbered cells,
// 8 rows by 20 columns, each holding the value of one check box.
// No windowing code here, so the generators build and test on their own.
#ifndef TOLVANE_UI_PLAYFIELD_GRID_H_
#define TOLVANE_UI_PLAYFIELD_GRID_H_

#include <array>
#include <cstdint>

namespace tolvane {

// A check box reports a signed 16-bit value: 0 clear, 1 ticked, 2 dimmed.
using CellValue = std::int16_t;

inline constexpr int kRows = 8;
inline constexpr int kColumns = 20;
inline constexpr int kCellCount = kRows * kColumns;
inline constexpr CellValue kClear = 0;
inline constexpr CellValue kTicked = 1;
inline constexpr CellValue kDimmed = 2;

// Cell N (1..160) is Check<N>; rows count from the top, columns from the
// left, both from 1, in reading order.
constexpr int cellNumber(int row, int column) { return kColumns * (row - 1) + column; }
constexpr int rowOfCell(int cell) { return (cell - 1) / kColumns + 1; }
constexpr int columnOfCell(int cell) { return (cell - 1) % kColumns + 1; }

// Only exactly 1 is a lit pixel; the dimmed state and any other value are
// clear.
constexpr bool isLit(CellValue value) { return value == kTicked; }

// The register each column feeds, left to right as the console draws the
// left half of a line: 4 columns PF0, 8 PF1, 8 PF2.
enum class Register { kPf0, kPf1, kPf2 };

struct RegisterGroup {
  Register reg;
  int firstColumn;
  int lastColumn;
};

inline constexpr std::array<RegisterGroup, 3> kRegisterGroups = {{
    {Register::kPf0, 1, 4},
    {Register::kPf1, 5, 12},
    {Register::kPf2, 13, 20},
}};

constexpr Register registerOfColumn(int column) {
  for (const RegisterGroup& group : kRegisterGroups) {
    if (column <= group.lastColumn) return group.reg;
  }
  return Register::kPf2;
}

// The cells as the commands reach them. The window implements this over its
// check boxes, so every read and write goes to the real cell at the moment
// it runs; nothing is copied.
class Grid {
 public:
  virtual ~Grid() = default;
  virtual CellValue value(int cell) const = 0;
  virtual void setValue(int cell, CellValue value) = 0;
};

// Sets every cell to 0, Check1 first and Check160 last, each exactly once.
void clearAll(Grid& grid);

// A grid held in memory: for the tests, the benchmarks and any caller that
// has no window.
class MemoryGrid final : public Grid {
 public:
  CellValue value(int cell) const override { return cells_.at(cell - 1); }
  void setValue(int cell, CellValue value) override { cells_.at(cell - 1) = value; }

 private:
  std::array<CellValue, kCellCount> cells_{};
};

}  // namespace tolvane

#endif  // TOLVANE_UI_PLAYFIELD_GRID_H_
