// Starts the real Tolvane window and ends on its first paint.
#include <QApplication>

#include "bench/quit_on_first_paint.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QuitOnFirstPaint quit;
  application.installEventFilter(&quit);
  tolvane::MainWindow window;
  window.show();
  return QApplication::exec();
}
