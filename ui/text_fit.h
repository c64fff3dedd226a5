// Texts in a fixed layout must show whole whatever font the desktop uses.
// A widget keeps the desktop's font where its text fits; where it does not,
// it gets the same family at the largest size that fits.
#ifndef TOLVANE_UI_TEXT_FIT_H_
#define TOLVANE_UI_TEXT_FIT_H_

#include <QFont>
#include <QRect>

class QLabel;
class QLineEdit;
class QPushButton;
class QString;

namespace tolvane {

// Where a widget draws its text, and how (QPainter text flags).
struct TextRoom {
  QRect rect;
  int flags;
};

TextRoom textRoom(const QLabel& label);
TextRoom textRoom(const QPushButton& button);
TextRoom textRoom(const QLineEdit& edit);

// True when `text` laid out in `font` fits `room` with a pixel to spare
// on the right and at the bottom.
bool textFits(const QFont& font, const QString& text, const TextRoom& room);

// `font` where the text fits; otherwise the same family at the largest size,
// in half points, that fits.
QFont fittingFont(const QFont& font, const QString& text, const TextRoom& room);

}  // namespace tolvane

#endif  // TOLVANE_UI_TEXT_FIT_H_
