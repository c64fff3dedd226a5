// The floor the page is measured against: a Qt Widgets window with
// Tolvane's client area showing one line of text, built the same way.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "ui/layout.h"

int main(int argc, char** argv) {
  using tolvane::layout::toPixels;
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Floor"));
  auto* line = new QLabel(QStringLiteral("One line of text"), &window);
  line->setFixedSize(toPixels(tolvane::layout::kClientWidth),
                     toPixels(tolvane::layout::kClientHeight));
  window.setCentralWidget(line);
  window.showNormal();
  return QApplication::exec();
}
