// Tolvane's window with Check77 gone: Create Code and Clear Fields throw
// in the browser, where the run-time error box must show and the page go on.
#include <QApplication>
#include <QCheckBox>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  tolvane::MainWindow window;
  delete window.findChild<QCheckBox*>(QStringLiteral("Check77"));
  window.showNormal();
  return QApplication::exec();
}
