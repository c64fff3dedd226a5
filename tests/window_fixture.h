// A fresh Tolvane window for every Qt test function, and the ways a user
// reaches its controls: by name, by click, by reading a box.
#ifndef TOLVANE_TESTS_WINDOW_FIXTURE_H_
#define TOLVANE_TESTS_WINDOW_FIXTURE_H_

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "ui/main_window.h"

namespace tolvane::testing {

inline const QString kZeroTable = QStringLiteral("00, 00, 00, 00, 00, 00, 00, 00");

class WindowFixture : public QObject {
 protected:
  bool openWindow() {
    window_ = std::make_unique<MainWindow>();
    window_->show();
    return QTest::qWaitForWindowExposed(window_.get());
  }
  void closeWindow() { window_.reset(); }

  template <typename T>
  T* find(const QString& name) const {
    T* const widget = window_->findChild<T*>(name);
    if (widget == nullptr) qFatal("no control named %s", qPrintable(name));
    return widget;
  }
  QCheckBox* cell(int n) const { return find<QCheckBox>(QStringLiteral("Check%1").arg(n)); }
  QLineEdit* box(int reg) const {
    static const char* const kNames[] = {"text3", "play1", "play2"};
    return find<QLineEdit>(kNames[reg]);
  }
  void click(const char* button) const { click(find<QPushButton>(button)); }
  static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  std::unique_ptr<MainWindow> window_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_WINDOW_FIXTURE_H_
