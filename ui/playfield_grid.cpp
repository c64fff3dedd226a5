#include "ui/playfield_grid.h"

namespace tolvane {

void clearAll(Grid& grid) {
  for (int cell = 1; cell <= kCellCount; ++cell) grid.setValue(cell, kClear);
}

}  // namespace tolvane
