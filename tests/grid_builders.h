// Grids for the tests, written the way the user sees them: lists of ticked
// cell numbers.
#ifndef TOLVANE_TESTS_GRID_BUILDERS_H_
#define TOLVANE_TESTS_GRID_BUILDERS_H_

#include <initializer_list>
#include <vector>

#include "ui/playfield_grid.h"

namespace tolvane::testing {

inline MemoryGrid gridWithTicked(const std::vector<int>& cells) {
  MemoryGrid grid;
  for (const int cell : cells) grid.setValue(cell, kTicked);
  return grid;
}

// Cells first..last inclusive.
inline std::vector<int> cellRange(int first, int last) {
  std::vector<int> cells;
  for (int cell = first; cell <= last; ++cell) cells.push_back(cell);
  return cells;
}

// Every cell of the given columns, in all eight rows.
inline std::vector<int> columnsInAllRows(int firstColumn, int lastColumn) {
  std::vector<int> cells;
  for (int row = 1; row <= kRows; ++row) {
    for (int column = firstColumn; column <= lastColumn; ++column) {
      cells.push_back(cellNumber(row, column));
    }
  }
  return cells;
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_GRID_BUILDERS_H_
