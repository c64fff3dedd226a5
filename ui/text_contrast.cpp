#include "ui/text_contrast.h"

#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tolvane {
namespace {

// The usual floor for text of ordinary size.
constexpr double kReadableContrast = 4.5;

double linearChannel(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor& colour) {
  return 0.2126 * linearChannel(colour.redF()) + 0.7152 * linearChannel(colour.greenF()) +
         0.0722 * linearChannel(colour.blueF());
}

}  // namespace

double contrastRatio(const QColor& first, const QColor& second) {
  const double a = relativeLuminance(first);
  const double b = relativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableText(const QColor& desktopText, const QColor& background) {
  if (contrastRatio(desktopText, background) >= kReadableContrast) return desktopText;
  const QColor black(Qt::black);
  const QColor white(Qt::white);
  return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

void makeTextReadable(QWidget& widget, const QPalette& desktop) {
  QPalette palette = widget.palette();
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const QColor background = palette.color(group, widget.backgroundRole());
    palette.setColor(group, widget.foregroundRole(),
                     readableText(desktop.color(group, widget.foregroundRole()), background));
  }
  widget.setPalette(palette);
}

}  // namespace tolvane
