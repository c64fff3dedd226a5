// The window's 160 check boxes as the grid the commands work on. Every read
// and write goes straight to the check box, so a command sees the cells as
// they are when it runs.
#ifndef TOLVANE_UI_CHECK_BOX_GRID_H_
#define TOLVANE_UI_CHECK_BOX_GRID_H_

#include <QCheckBox>
#include <QPointer>
#include <array>

#include "ui/playfield_grid.h"

namespace tolvane {

class CheckBoxGrid final : public Grid {
 public:
  using Cells = std::array<QCheckBox*, kCellCount>;

  CheckBoxGrid() = default;
  explicit CheckBoxGrid(const Cells& cells);

  CellValue value(int cell) const override;
  // 0 clears, 1 ticks, 2 dims; a check box holds no other value.
  void setValue(int cell, CellValue value) override;

 private:
  QCheckBox& box(int cell) const;
  // A check box that has gone away reads as an error, not as a crash.
  std::array<QPointer<QCheckBox>, kCellCount> cells_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_CHECK_BOX_GRID_H_
