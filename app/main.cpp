#include <QApplication>
#include <QFont>
#include <QStringList>

#include "ui/main_window.h"

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
  tolvane::MainWindow window;
  window.show();
  return QApplication::exec();
}
