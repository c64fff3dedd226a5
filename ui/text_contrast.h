// Text that the window draws on a background it fixes must read on any
// desktop colour scheme: the desktop's text colour is kept where it reads,
// and replaced by black or white where it does not.
#ifndef TOLVANE_UI_TEXT_CONTRAST_H_
#define TOLVANE_UI_TEXT_CONTRAST_H_

#include <QColor>

class QPalette;
class QWidget;

namespace tolvane {

// The WCAG 2 contrast ratio of two opaque colours: 1 (none) to 21 (black
// on white).
double contrastRatio(const QColor& first, const QColor& second);

// `desktopText` where it reaches 4.5:1 on `background`; otherwise black or
// white, whichever contrasts more with `background`.
QColor readableText(const QColor& desktopText, const QColor& background);

// Sets `widget`'s text colour by that rule against its own background, in
// every colour group, from the text colours of `desktop`.
void makeTextReadable(QWidget& widget, const QPalette& desktop);

}  // namespace tolvane

#endif  // TOLVANE_UI_TEXT_CONTRAST_H_
