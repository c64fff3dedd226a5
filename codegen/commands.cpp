#include "codegen/commands.h"

#include "codegen/tables.h"

namespace tolvane {

void createCode(const Grid& grid, const TableBoxes& boxes) {
  makepf0(grid, boxes.pf0);
  makepf1(grid, boxes.pf1);
  makepf2(grid, boxes.pf2);
}

void clearFields(Grid& grid, const TableBoxes& boxes) {
  clearAll(grid);
  createCode(grid, boxes);
}

}  // namespace tolvane
