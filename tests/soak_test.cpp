// Long use and bad input on the real window: many rounds of ticks and
// commands, pasted rubbish, dimmed cells and rapid clicking.
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <fstream>
#include <memory>
#include <random>

#include "tests/oracle.h"
#include "ui/main_window.h"

namespace tolvane {
namespace {

long residentBytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

class SoakTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    window_ = std::make_unique<MainWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  // Ticks by real clicks, Create Code every round and Clear Fields every
  // eighth, each table checked against the bit weights.
  void tenThousandRoundsMatchTheOracleAndKeepMemoryFlat() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyCell(1, 160), clicks(0, 6);
    std::array<std::int16_t, 160> drawing{};
    long afterHundred = 0;
    for (int round = 1; round <= 10000; ++round) {
      for (int i = clicks(random); i > 0; --i) {
        const int n = anyCell(random);
        click(cell(n));
        drawing[n - 1] ^= 1;
      }
      click(find<QPushButton>("cmdcode"));
      for (int reg = 0; reg < 3; ++reg) {
        QCOMPARE(box(reg)->text().toStdString(), testing::oracleTable(drawing, reg));
      }
      if (round % 8 == 0) {
        click(find<QPushButton>("clrfield"));
        drawing.fill(0);
        QCOMPARE(box(2)->text(), QStringLiteral("00, 00, 00, 00, 00, 00, 00, 00"));
      }
      if (round == 100) afterHundred = residentBytes();
    }
    const long growth = residentBytes() - afterHundred;
    qInfo("resident memory grew by %ld bytes from round 100 to round 10000", growth);
#if !defined(__SANITIZE_ADDRESS__)  // the sanitized build checks for leaks instead
    QVERIFY(growth < 1024 * 1024);
#endif
  }

  void pastedTextIsWhollyReplaced_data() {
    QTest::addColumn<QString>("pasted");
    QTest::newRow("1 MiB") << QString(1024 * 1024, u'x');
    QTest::newRow("newlines, tabs, non-ASCII")
        << QStringLiteral("line one\nline two\r\n\tÄÖü ✓ 日本 \U0001F47E");
  }

  void pastedTextIsWhollyReplaced() {
    QFETCH(QString, pasted);
    click(cell(141));
    QGuiApplication::clipboard()->setText(pasted);
    for (int reg = 0; reg < 3; ++reg) {
      box(reg)->setFocus();
      QTest::keySequence(box(reg), QKeySequence::Paste);
      QVERIFY(!box(reg)->text().isEmpty());
    }
    click(find<QPushButton>("cmdcode"));
    QCOMPARE(box(0)->text(), QStringLiteral("10, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(box(1)->text(), QStringLiteral("00, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(box(2)->text(), QStringLiteral("00, 00, 00, 00, 00, 00, 00, 00"));
  }

  void aDimmedCellReadsAsClear() {
    click(cell(141));
    cell(142)->setCheckState(Qt::PartiallyChecked);
    cell(160)->setCheckState(Qt::PartiallyChecked);
    click(find<QPushButton>("cmdcode"));
    QCOMPARE(box(0)->text(), QStringLiteral("10, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(box(2)->text(), QStringLiteral("00, 00, 00, 00, 00, 00, 00, 00"));
    click(find<QPushButton>("clrfield"));
    QCOMPARE(cell(142)->checkState(), Qt::Unchecked);
    click(cell(142));  // a cleared cell is a plain tick box again
    QCOMPARE(cell(142)->checkState(), Qt::Checked);
  }

  void rapidClicksOnButtonsAndMenusLeaveTheWindowWorking() {
    // Every About or Help box is dismissed as soon as it is open.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    closer.start(0);
    for (int i = 0; i < 300; ++i) {
      click(find<QPushButton>(i % 2 ? "cmdcode" : "clrfield"));
      if (i % 10 == 0) window_->findChild<QAction*>(i % 20 ? "mnuabout" : "mnuhelp")->trigger();
    }
    closer.stop();
    click(cell(5));
    click(find<QPushButton>("cmdcode"));
    QCOMPARE(box(1)->text(), QStringLiteral("00, 00, 00, 00, 00, 00, 00, 80"));
  }

 private:
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
  static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  std::unique_ptr<MainWindow> window_;
};

}  // namespace tolvane

QTEST_MAIN(tolvane::SoakTest)
#include "soak_test.moc"
