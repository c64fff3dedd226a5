// The three register tables. Each generator walks the rows from the bottom
// up and builds its box's text in place: the first write replaces the box,
// every later write appends. If a write throws, the box keeps what was
// written so far and the error reaches the caller.
//
// A table text is eight bytes, bottom row first, each two upper-case hex
// digits, joined by ", ": always 30 characters.
#ifndef TOLVANE_CODEGEN_TABLES_H_
#define TOLVANE_CODEGEN_TABLES_H_

#include <string_view>

#include "codegen/output_box.h"
#include "ui/playfield_grid.h"

namespace tolvane {

inline constexpr std::string_view kSeparator = ", ";

void makepf0(const Grid& grid, OutputBox& text3);
void makepf1(const Grid& grid, OutputBox& play1);
void makepf2(const Grid& grid, OutputBox& play2);

}  // namespace tolvane

#endif  // TOLVANE_CODEGEN_TABLES_H_
