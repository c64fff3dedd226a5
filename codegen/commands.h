// The two commands behind the window's buttons, over the grid and the three
// output boxes. Neither keeps state; both run from start to end on the
// caller's thread and let any error through, keeping what was done so far.
#ifndef TOLVANE_CODEGEN_COMMANDS_H_
#define TOLVANE_CODEGEN_COMMANDS_H_

#include "codegen/output_box.h"
#include "ui/playfield_grid.h"

namespace tolvane {

struct TableBoxes {
  OutputBox& pf0;
  OutputBox& pf1;
  OutputBox& pf2;
};

// Create Code: the PF0, PF1 and PF2 tables, in that order. Reads the grid,
// never changes it.
void createCode(const Grid& grid, const TableBoxes& boxes);

// Clear Fields: clears every cell, Check1 to Check160, then Create Code, so
// the boxes describe the empty drawing.
void clearFields(Grid& grid, const TableBoxes& boxes);

}  // namespace tolvane

#endif  // TOLVANE_CODEGEN_COMMANDS_H_
