#include "ui/playfield_cell.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tolvane {

PlayfieldCell::PlayfieldCell(const QColor& square, QWidget* parent)
    : QCheckBox(parent), square_(square) {
  // The cell paints its whole square itself, whatever the style fills a
  // check box's background with.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlayfieldCell::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  painter.fillRect(rect(), square_);
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
