// The floor for start-up: an empty Qt window with Tolvane's client area,
// ending on its first paint.
#include <QApplication>
#include <QMainWindow>

#include "bench/quit_on_first_paint.h"
#include "ui/layout.h"

int main(int argc, char** argv) {
  using tolvane::layout::toPixels;
  QApplication application(argc, argv);
  QuitOnFirstPaint quit;
  application.installEventFilter(&quit);
  QMainWindow window;
  auto* client = new QWidget(&window);
  client->setFixedSize(toPixels(tolvane::layout::kClientWidth),
                       toPixels(tolvane::layout::kClientHeight));
  window.setCentralWidget(client);
  window.show();
  return QApplication::exec();
}
