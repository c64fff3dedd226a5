// Long use and bad input on the real window: many rounds of ticks and
// commands, pasted rubbish, dimmed cells and rapid clicking.
#include <unistd.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <array>
#include <fstream>
#include <random>

#include "tests/oracle.h"
#include "tests/window_fixture.h"

namespace tolvane {
namespace {

long residentBytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

class SoakTest : public testing::WindowFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openWindow()); }
  void cleanup() { closeWindow(); }

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
      click("cmdcode");
      for (int reg = 0; reg < 3; ++reg) {
        QCOMPARE(box(reg)->text().toStdString(), testing::oracleTable(drawing, reg));
      }
      if (round % 8 == 0) {
        click("clrfield");
        drawing.fill(0);
        QCOMPARE(box(2)->text(), testing::kZeroTable);
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
    click("cmdcode");
    QCOMPARE(box(0)->text(), QStringLiteral("10, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(box(1)->text(), testing::kZeroTable);
    QCOMPARE(box(2)->text(), testing::kZeroTable);
  }

  void aDimmedCellReadsAsClear() {
    click(cell(141));
    cell(142)->setCheckState(Qt::PartiallyChecked);
    cell(160)->setCheckState(Qt::PartiallyChecked);
    click("cmdcode");
    QCOMPARE(box(0)->text(), QStringLiteral("10, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(box(2)->text(), testing::kZeroTable);
    click("clrfield");
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
      click(i % 2 ? "cmdcode" : "clrfield");
      if (i % 10 == 0) window_->findChild<QAction*>(i % 20 ? "mnuabout" : "mnuhelp")->trigger();
    }
    closer.stop();
    click(cell(5));
    click("cmdcode");
    QCOMPARE(box(1)->text(), QStringLiteral("00, 00, 00, 00, 00, 00, 00, 80"));
  }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::SoakTest)
#include "soak_test.moc"
