// One cell of the playfield grid: a tick box centred on a square painted in
// its register's colour, so that each row shows its register bands.
#ifndef TOLVANE_UI_PLAYFIELD_CELL_H_
#define TOLVANE_UI_PLAYFIELD_CELL_H_

#include <QCheckBox>
#include <QColor>

namespace tolvane {

class PlayfieldCell final : public QCheckBox {
 public:
  PlayfieldCell(const QColor& square, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The whole square toggles the cell, not just the tick box.
  bool hitButton(const QPoint& pos) const override;

 private:
  QColor square_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_PLAYFIELD_CELL_H_
