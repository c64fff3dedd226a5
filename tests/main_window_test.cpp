// The window as the user meets it: controls found by name, clicked and
// typed into through QTest, and judged on the rendered picture; and a long
// soak of random use with bad input.
#include "ui/main_window.h"

#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "app/shell_messages.h"
#include "tests/oracle.h"
#include "ui/text_contrast.h"
#include "ui/text_fit.h"

namespace tolvane {
namespace {

// Runs `handle` on the modal box that `open` shows; false if none showed.
bool withModalBox(const std::function<void()>& open,
                  const std::function<void(QMessageBox*)>& handle) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      seen = true;
      handle(box);
    }
  });
  open();
  return seen;
}

// True if the label shows text and none of it reaches the column or row of
// `last`, where text that does not fit would be cut.
bool inkEndsBefore(QLabel& label, const QPoint& last) {
  const QImage image = label.grab().toImage();
  const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
  QRect ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != background) ink |= QRect(x, y, 1, 1);
    }
  }
  const qreal ratio = image.devicePixelRatio();
  return !ink.isEmpty() && ink.right() < last.x() * ratio && ink.bottom() < last.y() * ratio;
}

struct Ink {
  QColor colour;
  double contrast;
};

// The rendered text's colour where it stands out most from the label's
// background: the core of a stroke, past the blended pixels at its edges.
Ink strongestInk(QLabel& label) {
  const QImage image = label.grab().toImage();
  const QColor background = image.pixelColor(image.width() - 1, image.height() - 1);
  Ink strongest{background, 1};
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      const double contrast = contrastRatio(pixel, background);
      if (contrast > strongest.contrast) strongest = {pixel, contrast};
    }
  }
  return strongest;
}

long residentBytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openWindow()); }
  void cleanup() { window_.reset(); }

  void startsEmptyWithEveryControlAndMenuInPlace() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tolvane"));
    QCOMPARE(window_->centralWidget()->size(), QSize(360, 326));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    for (int n = 1; n <= 160; ++n) QCOMPARE(cell(n)->checkState(), Qt::Unchecked);
    for (int reg = 0; reg < 3; ++reg) QVERIFY(box(reg)->text().isEmpty());
    QCOMPARE(find<QPushButton>("cmdcode")->geometry(), QRect(232, 144, 89, 33));
    QCOMPARE(find<QPushButton>("clrfield")->geometry(), QRect(232, 184, 89, 25));
    // Inside the client area, and no two controls overlap but for the
    // cells' shared edges.
    QWidget* client = window_->centralWidget();
    QRegion covered;
    for (const QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const int sharedEdge = control->inherits("QCheckBox") ? 1 : 0;
      const QRect place = control->geometry().adjusted(0, 0, -sharedEdge, -sharedEdge);
      QVERIFY2(client->rect().contains(place) && !covered.intersects(place),
               qPrintable(control->objectName()));
      covered += place;
    }
    QStringList seen;
    for (const QAction* menu : window_->menuBar()->actions()) {
      seen << menu->menu()->objectName() + "=" + menu->text();
      for (const QAction* item : menu->menu()->actions()) {
        seen << item->objectName() + "=" + item->text() + item->shortcut().toString();
      }
    }
    QCOMPARE(seen, QStringList({"mnufile=&File", "mnuexit=E&xit", "mnusettings=&Settings",
                                "mnuabout=&About", "mnuhelp=&Help"}));
  }

  // Every cell's square outside its tick box (corners and edge middles) in
  // the register's colour, at the place the twips give; the labels, the
  // notices and the background in theirs.
  void theRenderedWindowShowsItsColoursInPlace() {
    box(0)->setFocus();  // no focus frame on a cell
    const QImage client = window_->centralWidget()->grab().toImage();
    const auto colourAt = [&client, ratio = client.devicePixelRatio()](int x, int y) {
      return client.pixel(int((x + 0.5) * ratio), int((y + 0.5) * ratio)) & 0xFFFFFF;
    };
    for (int n = 1; n <= 160; ++n) {
      const int column = (n - 1) % 20 + 1, row = (n - 1) / 20 + 1;
      const QRgb colour = column <= 4 ? 0xFFFF00 : column <= 12 ? 0x0000FF : 0xFF0000;
      const int left = 16 * column, top = 8 + 16 * (row - 1);  // 240 and 120 twips
      // The square's 17th column and row lie under its neighbours.
      for (const int dy : {0, 8, 15}) {
        for (const int dx : {0, 8, 15}) {
          QVERIFY2((dx == 8 && dy == 8) || colourAt(left + dx, top + dy) == colour,
                   qPrintable(QStringLiteral("Check%1 +%2+%3").arg(n).arg(dx).arg(dy)));
        }
      }
    }
    // Background, the three register labels, the two notices.
    const int spots[][3] = {{2, 2, 0x000040},    {350, 320, 0x000040}, {56, 160, 0xFFFF00},
                            {56, 200, 0x0000FF}, {56, 240, 0xFF0000},  {350, 275, 0x000000},
                            {210, 308, 0x000000}};
    for (const auto& [x, y, colour] : spots) QCOMPARE(colourAt(x, y), QRgb(colour));
    bool yellowText = false;
    for (int y = 216; y < 281; ++y) {
      for (int x = 232; x < 353; ++x) yellowText |= colourAt(x, y) == 0xFFFF00;
    }
    QVERIFY(yellowText);
  }

  void everyTextShowsWholeOnAnyDesktopFont_data() {
    QTest::addColumn<int>("pointSize");
    for (const int size : {9, 10, 11, 12}) QTest::addRow("DejaVu Sans %d", size) << size;
  }

  // Each text fits its place with a pixel to spare, and on the rendered
  // labels no ink reaches the edge where a text too big would be cut.
  void everyTextShowsWholeOnAnyDesktopFont() {
    QFETCH(int, pointSize);
    const QFont desktopFont = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), pointSize));
    QVERIFY(openWindow());
    QApplication::setFont(desktopFont);
    for (const char* name : {"lbldata0", "lbldata1", "lbldata2", "Label4", "lbladvert"}) {
      QLabel* label = find<QLabel>(name);
      QVERIFY2(textFits(label->font(), label->text(), textRoom(*label)), name);
      QVERIFY2(inkEndsBefore(*label, textRoom(*label).rect.bottomRight()), name);
    }
    for (const QPushButton* button :
         {find<QPushButton>("cmdcode"), find<QPushButton>("clrfield")}) {
      QVERIFY(textFits(button->font(), button->text(), textRoom(*button)));
    }
    for (const QChar digit : QStringLiteral("0123456789ABCDEF")) {
      const QString table = QStringList(8, QString(2, digit)).join(", ");
      for (int reg = 0; reg < 3; ++reg)
        QVERIFY(textFits(box(reg)->font(), table, textRoom(*box(reg))));
    }
  }

  void registerLabelsReadOnEveryColourScheme_data() {
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QList<QColor>>("inks");  // PFData0, PFData1, PFData2
    const QColor black(Qt::black), white(Qt::white), brown(60, 40, 20), cream(255, 255, 208);
    QTest::newRow("light") << black << QColor(239, 239, 239) << QList{black, white, black};
    QTest::newRow("dark") << white << QColor(66, 66, 69) << QList{black, white, black};
    QTest::newRow("grey on navy") << QColor(176, 176, 176) << QColor(1, 11, 44)
                                  << QList{black, white, black};
    // Where the desktop's own colour reads, it is kept.
    QTest::newRow("brown on paper") << brown << QColor(255, 250, 230) << QList{brown, white, black};
    QTest::newRow("cream on dark") << cream << QColor(40, 40, 40) << QList{black, cream, black};
  }

  // The desktop switches to the scheme while the window is open, as one
  // turning dark does: each register label's text reads at 4.5:1 on its
  // colour, in the desktop's text colour where that reads.
  void registerLabelsReadOnEveryColourScheme() {
    QFETCH(QColor, text);
    QFETCH(QColor, background);
    QFETCH(QList<QColor>, inks);
    const auto restore =
        qScopeGuard([desktop = QApplication::palette()] { QApplication::setPalette(desktop); });
    QPalette scheme = QApplication::palette();
    scheme.setColor(QPalette::WindowText, text);
    scheme.setColor(QPalette::Window, background);
    QApplication::setPalette(scheme);
    QCoreApplication::processEvents();  // the window hears of it from the event loop
    for (int reg = 0; reg < 3; ++reg) {
      const auto [ink, contrast] =
          strongestInk(*find<QLabel>(QStringLiteral("lbldata%1").arg(reg)));
      QVERIFY2(ink == inks[reg] && contrast >= 4.5,
               qPrintable(
                   QStringLiteral("PFData%1: %2 at %3:1").arg(reg).arg(ink.name()).arg(contrast)));
    }
  }

  void tabWalksCellsThenButtonAndBoxes() {
    cell(1)->setFocus();
    QStringList walk, expected;
    for (int n = 2; n <= 160; ++n) expected << QStringLiteral("Check%1").arg(n);
    expected << QStringList{"cmdcode", "text3", "play1", "play2", "clrfield", "Check1"};
    while (walk.size() < expected.size()) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      walk << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walk, expected);
  }

  // Modal boxes with one OK button and no icon; dismissing one changes
  // nothing in the window.
  void aboutAndHelpShowTheirTexts() {
    QVERIFY(aboutPrompt().startsWith("Tolvane V1.3  ") && !aboutPrompt().contains('\n'));
    tick(1);
    QStringList seen;
    for (const char* item : {"mnuabout", "mnuhelp"}) {
      QVERIFY(withModalBox([&] { find<QAction>(item)->trigger(); },
                           [&](QMessageBox* box) {
                             seen << box->windowTitle() << box->text()
                                  << QStringLiteral("%1 icon, %2 button")
                                         .arg(box->icon() == QMessageBox::NoIcon ? "no" : "an")
                                         .arg(box->buttons().size());
                             QTest::keyClick(box, Qt::Key_Escape);
                           }));
    }
    QCOMPARE(seen, QStringList({"About Tolvane", aboutPrompt(), "no icon, 1 button", "Help",
                                "Please read the readme.txt file found in the zipped archive. ",
                                "no icon, 1 button"}));
    QCOMPARE(cell(1)->checkState(), Qt::Checked);
    QVERIFY(box(0)->text().isEmpty());
  }

  // A cell whose check box has gone is a failing control access: the
  // command stops there, keeps what it did, and the user is told.
  void aCommandThatFailsIsShownAndTheWindowGoesOn() {
    for (int n = 1; n <= 160; ++n) cell(n)->setChecked(true);
    box(0)->setText("before");
    delete cell(77);
    QString shownText;
    const auto dismiss = [&](QMessageBox* box) {
      shownText = box->text();
      box->button(QMessageBox::Ok)->click();
    };
    QVERIFY(withModalBox([&] { click("clrfield"); }, dismiss));
    QCOMPARE(shownText, QStringLiteral("Run-time error: Check77 is gone"));
    QCOMPARE(cell(76)->checkState(), Qt::Unchecked);
    QCOMPARE(cell(78)->checkState(), Qt::Checked);
    QCOMPARE(box(0)->text(), QStringLiteral("before"));
    // Check77 is a PF2 cell of row 4: PF2 stops after the four lower bytes.
    QVERIFY(withModalBox([&] { click("cmdcode"); }, dismiss));
    QCOMPARE(box(0)->text(), QStringLiteral("F0, F0, F0, F0, 00, 00, 00, 00"));
    QCOMPARE(box(2)->text(), QStringLiteral("FF, FF, FF, FF, "));
  }

  void exitAndClosingEndTheProgramAtOnce_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("Exit") << true;
    QTest::newRow("close control") << false;
  }

  void exitAndClosingEndTheProgramAtOnce() {
    QFETCH(bool, byMenu);
    tick(7);
    QTimer::singleShot(
        0, [&] { byMenu ? find<QAction>("mnuexit")->trigger() : void(window_->close()); });
    // Bound to the window, so that it cannot fire in a later test.
    QTimer::singleShot(5000, window_.get(), [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
  }

  // Random ticks, Create Code every round against the oracle,
  // Clear Fields every eighth, with pasted rubbish, dimmed cells and About
  // and Help boxes in between.
  void tenThousandRoundsMatchTheOracleAndKeepMemoryFlat() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyCell(1, 160), clicks(0, 6), anyBox(0, 2);
    testing::Drawing drawing{};
    long afterHundred = 0;
    for (int round = 1; round <= 10000; ++round) {
      const QString before = box(0)->text();
      for (int i = clicks(random); i > 0; --i) {  // by mouse and by the space bar
        const int n = anyCell(random);
        cell(n)->setFocus();
        i % 2 ? tick(n) : QTest::keyClick(cell(n), Qt::Key_Space);
        drawing[n - 1] ^= 1;
      }
      QCOMPARE(box(0)->text(), before);  // ticking computes nothing
      if (round % 25 == 0) {             // rubbish pasted into a box is replaced
        QGuiApplication::clipboard()->setText(round == 50 ? QString(1 << 20, u'x')
                                                          : "line\n\tÄü ✓ 日本 \U0001F47E");
        QLineEdit* target = box(anyBox(random));
        target->setFocus();
        QTest::keySequence(target, QKeySequence::Paste);
      }
      if (round % 8 == 0) {  // a dimmed cell is clear, and Clear Fields undims it
        const int n = anyCell(random);
        cell(n)->setCheckState(Qt::PartiallyChecked);
        drawing[n - 1] = 2;
      }
      if (round % 100 == 0) {
        const char* item = round % 200 ? "mnuabout" : "mnuhelp";
        QVERIFY(withModalBox([&] { find<QAction>(item)->trigger(); }, &QMessageBox::accept));
      }
      click("cmdcode");
      QVERIFY2(tablesMatch(drawing), qPrintable(QString::number(round)));
      if (round % 8 == 0) {
        click("clrfield");
        drawing.fill(0);
        QVERIFY(tablesMatch(drawing));
      }
      if (round == 100) afterHundred = residentBytes();
    }
    const long growth = residentBytes() - afterHundred;
    qInfo("resident memory grew by %ld bytes from round 100 to round 10000", growth);
#if !defined(__SANITIZE_ADDRESS__)  // the sanitized build checks for leaks instead
    QVERIFY(growth < 1024 * 1024);
#endif
  }

 private:
  bool openWindow() {
    window_ = std::make_unique<MainWindow>();
    window_->show();
    return QTest::qWaitForWindowExposed(window_.get());
  }
  template <typename T>
  T* find(const QString& name) const {
    T* const widget = window_->findChild<T*>(name);
    if (widget == nullptr) qFatal("no control named %s", qPrintable(name));
    return widget;
  }
  QCheckBox* cell(int n) const { return find<QCheckBox>(QStringLiteral("Check%1").arg(n)); }
  QLineEdit* box(int reg) const {
    return find<QLineEdit>(QStringList{"text3", "play1", "play2"}[reg]);
  }
  // A click near the square's corner, off the tick box.
  void tick(int n) const { QTest::mouseClick(cell(n), Qt::LeftButton, {}, QPoint(15, 15)); }
  void click(const char* button) const {
    QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
  }
  bool tablesMatch(const testing::Drawing& drawing) const {
    for (int reg = 0; reg < 3; ++reg) {
      if (box(reg)->text().toStdString() != testing::oracleTable(drawing, reg)) return false;
    }
    return true;
  }

  std::unique_ptr<MainWindow> window_;
};

}  // namespace tolvane

QTEST_MAIN(tolvane::MainWindowTest)

#include "main_window_test.moc"
