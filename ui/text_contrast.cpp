#include "ui/text_contrast.h"

#include <QPalette>
#include <QWidget>

#include "ui/contrast.h"

namespace tolvane {
namespace {

layout::Rgb toRgb(const QColor& colour) { return {colour.red(), colour.green(), colour.blue()}; }

}  // namespace

double contrastRatio(const QColor& first, const QColor& second) {
  return contrastRatio(toRgb(first), toRgb(second));
}

QColor readableText(const QColor& desktopText, const QColor& background) {
  if (contrastRatio(desktopText, background) >= kReadableContrast) return desktopText;
  const layout::Rgb text = blackOrWhiteOn(toRgb(background));
  return {text.red, text.green, text.blue};
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
