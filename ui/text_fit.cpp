#include "ui/text_fit.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

namespace tolvane {
namespace {

constexpr double kSmallestPointSize = 5.0;
constexpr double kStep = 0.5;

// QLineEdit keeps this much space between its frame and its text.
constexpr int kLineEditTextMarginX = 2;
constexpr int kLineEditTextMarginY = 1;

QFont withPointSize(QFont font, double pointSize) {
  font.setPointSizeF(pointSize);
  return font;
}

}  // namespace

TextRoom textRoom(const QLabel& label) {
  const int margin = label.margin();
  int flags = static_cast<int>(label.alignment());
  if (label.wordWrap()) flags |= Qt::TextWordWrap;
  return {label.contentsRect().adjusted(margin, margin, -margin, -margin), flags};
}

TextRoom textRoom(const QPushButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  const QRect contents =
      button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
  return {contents, Qt::AlignCenter | Qt::TextShowMnemonic};
}

TextRoom textRoom(const QLineEdit& edit) {
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
  const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
  return {contents.adjusted(kLineEditTextMarginX, kLineEditTextMarginY, -kLineEditTextMarginX,
                            -kLineEditTextMarginY),
          static_cast<int>(edit.alignment())};
}

bool textFits(const QFont& font, const QString& text, const TextRoom& room) {
  const QRectF spare = QRectF(room.rect).adjusted(0, 0, -1, -1);
  const QRectF needed = QFontMetricsF(font).boundingRect(spare, room.flags, text);
  return needed.width() <= spare.width() && needed.height() <= spare.height();
}

QFont fittingFont(const QFont& font, const QString& text, const TextRoom& room) {
  if (textFits(font, text, room)) return font;

  // Text grows about in step with the point size, so a guess from the
  // overflow lands within a step of the answer. Each size tried loads a
  // font, which is what start-up pays for here, so few are tried.
  const double desktopSize = QFontInfo(font).pointSizeF();
  const QSizeF spare = QSizeF(room.rect.size()) - QSizeF(1, 1);
  const QSizeF needed = QFontMetricsF(font).boundingRect(room.rect, room.flags, text).size();
  const double shrink = std::min(spare.width() / needed.width(), spare.height() / needed.height());
  double size = std::clamp(std::round(desktopSize * shrink / kStep) * kStep, kSmallestPointSize,
                           std::max(kSmallestPointSize, desktopSize - kStep));
  if (textFits(withPointSize(font, size), text, room)) {
    while (size + kStep < desktopSize && textFits(withPointSize(font, size + kStep), text, room)) {
      size += kStep;
    }
    return withPointSize(font, size);
  }
  do {
    size -= kStep;
  } while (size > kSmallestPointSize && !textFits(withPointSize(font, size), text, room));
  return withPointSize(font, std::max(size, kSmallestPointSize));
}

}  // namespace tolvane
