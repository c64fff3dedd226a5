#include <QApplication>
#include <QFont>
#include <QStringList>

#include "ui/main_window.h"

#ifdef Q_OS_WASM
#include <QScreen>
#include <algorithm>

#include <emscripten.h>
#endif

namespace {

// The desktop's font, followed by the usual dialog faces of Windows and
// Linux desktops: where the desktop names a face that is not installed
// (Wine names "MS Shell Dlg" and has no face for it), a sans-serif one
// stands in, not whatever face the font database happens to list first.
QFont withDialogFaces(QFont font) {
  QStringList families{font.family()};
  families << QStringLiteral("Segoe UI") << QStringLiteral("Tahoma") << QStringLiteral("Arial")
           << QStringLiteral("Noto Sans") << QStringLiteral("Liberation Sans")
           << QStringLiteral("DejaVu Sans") << QStringLiteral("Nimbus Sans");
  font.setFamilies(families);
  return font;
}

#ifdef Q_OS_WASM
// A page may be smaller than the place Qt gives the window (a phone, or a
// tablet where the window is drawn larger): the window then goes where
// the whole of it, frame and title included, is on the page.
void keepWholeOnPage(QWidget& window) {
  const QRect room = window.screen()->availableGeometry();
  QRect frame = window.frameGeometry();
  if (room.contains(frame)) return;
  frame.moveCenter(room.center());
  window.move(std::max(frame.left(), room.left()), std::max(frame.top(), room.top()));
}
#endif

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tolvane"));
  QApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION));
  QApplication::setFont(withDialogFaces(QApplication::font()));
#ifdef Q_OS_WASM
  // A page has no process that ends with the event loop: end its runtime,
  // and the page says that Tolvane has ended.
  QObject::connect(&application, &QCoreApplication::aboutToQuit, [] { emscripten_force_exit(0); });
#endif
  tolvane::MainWindow window;
  // Normal, not maximized: a browser page maximizes a window unless told
  // otherwise, and Tolvane's has one size.
  window.showNormal();
#ifdef Q_OS_WASM
  keepWholeOnPage(window);
#endif
  return QApplication::exec();
}
