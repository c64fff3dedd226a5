#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tolvane"));
  QApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION));
  tolvane::MainWindow window;
  window.show();
  return QApplication::exec();
}
