#include <QApplication>
#include <QFont>
#include <QStringList>

#include "ui/main_window.h"

#ifdef Q_OS_WASM
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
  return QApplication::exec();
}
