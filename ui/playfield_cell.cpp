#include "ui/playfield_cell.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tolvane {

PlayfieldCell::PlayfieldCell(const QColor& square, QWidget* parent) : QCheckBox(parent) {
  // A check box fills its background in its own role (Button), not Window.
  QPalette palette = this->palette();
  palette.setColor(backgroundRole(), square);
  setPalette(palette);
  setAutoFillBackground(true);
}

void PlayfieldCell::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  // The style puts the tick box at the left edge; shift it to the middle of
  // the square. It is already centred from top to bottom.
  const int tickBoxWidth = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
  option.rect.translate((width() - tickBoxWidth) / 2, 0);
  painter.drawControl(QStyle::CE_CheckBox, option);
}

bool PlayfieldCell::hitButton(const QPoint& pos) const { return rect().contains(pos); }

}  // namespace tolvane
