#include "ui/check_box_grid.h"

#include <stdexcept>
#include <string>

namespace tolvane {

CheckBoxGrid::CheckBoxGrid(const Cells& cells) {
  for (int i = 0; i < kCellCount; ++i) cells_[i] = cells[i];
}

QCheckBox& CheckBoxGrid::box(int cell) const {
  QCheckBox* const box = cells_.at(cell - 1);
  if (box == nullptr) throw std::runtime_error("Check" + std::to_string(cell) + " is gone");
  return *box;
}

CellValue CheckBoxGrid::value(int cell) const {
  switch (box(cell).checkState()) {
    case Qt::Unchecked:
      return kClear;
    case Qt::Checked:
      return kTicked;
    case Qt::PartiallyChecked:
      return kDimmed;
  }
  return kClear;
}

void CheckBoxGrid::setValue(int cell, CellValue value) {
  QCheckBox& target = box(cell);
  switch (value) {
    case kClear:
      target.setCheckState(Qt::Unchecked);
      break;
    case kTicked:
      target.setCheckState(Qt::Checked);
      break;
    case kDimmed:
      target.setCheckState(Qt::PartiallyChecked);
      break;
    default:
      throw std::out_of_range("not a check box value");
  }
  // Dimming makes a box three-state; any other value gives the user back
  // a plain tick box.
  target.setTristate(value == kDimmed);
}

}  // namespace tolvane
