// Grids for the tests, written as the user sees them: ticked cell numbers.
#ifndef TOLVANE_TESTS_GRID_BUILDERS_H_
#define TOLVANE_TESTS_GRID_BUILDERS_H_

#include <vector>

#include "ui/playfield_grid.h"

namespace tolvane::testing {

inline std::vector<int> cellRange(int first, int last) {
  std::vector<int> cells;
  for (int cell = first; cell <= last; ++cell) cells.push_back(cell);
  return cells;
}

inline std::vector<int> columnsInAllRows(int firstColumn, int lastColumn) {
  std::vector<int> cells;
  for (int row = 1; row <= kRows; ++row) {
    for (int c = firstColumn; c <= lastColumn; ++c) cells.push_back(cellNumber(row, c));
  }
  return cells;
}

inline MemoryGrid gridWithTicked(const std::vector<int>& ticked) {
  MemoryGrid grid;
  for (const int cell : ticked) grid.setValue(cell, kTicked);
  return grid;
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_GRID_BUILDERS_H_
