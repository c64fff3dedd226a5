// For the start-up probes: ends the program as soon as the first paint of
// any widget has been handled, so a run times start-up and nothing else.
#ifndef TOLVANE_BENCH_QUIT_ON_FIRST_PAINT_H_
#define TOLVANE_BENCH_QUIT_ON_FIRST_PAINT_H_

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

class QuitOnFirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !quitting_) {
      quitting_ = true;
      QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool quitting_ = false;
};

#endif  // TOLVANE_BENCH_QUIT_ON_FIRST_PAINT_H_
