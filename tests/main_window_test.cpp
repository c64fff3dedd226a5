// The window as the user meets it: controls found by name, clicked and
// typed into through QTest, and judged on the rendered picture; and a long
// soak of random use with bad input.
#include "ui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <random>

#include "tests/oracle.h"
#include "ui/text_contrast.h"
#include "ui/text_fit.h"

namespace tolvane {
namespace {

// What the modal box that `open` shows says, "title|text|icon, buttons";
// empty if no box showed. While it is open, a click on `cell` must change
// nothing; dismissed by Escape, the box must be gone.
QString modalBoxShownBy(const std::function<void()>& open, QCheckBox* cell) {
  open();
  const QPointer box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr) return {};
  const QString shown =
      QStringLiteral("%1|%2|%3 icon, %4 button")
          .arg(box->windowTitle(), box->text(), box->icon() == QMessageBox::NoIcon ? "no" : "an")
          .arg(box->buttons().size());
  // Through the window system, as a user's click comes, where modality acts.
  const Qt::CheckState before = cell->checkState();
  QTest::mouseClick(cell->window()->windowHandle(), Qt::LeftButton, {},
                    cell->mapTo(cell->window(), QPoint(15, 15)));
  if (cell->checkState() != before) return QStringLiteral("a cell ticked under the box");
  QTest::keyClick(box, Qt::Key_Escape);
  if (!QTest::qWaitFor([&] { return box.isNull(); })) return QStringLiteral("the box stays");
  return shown;
}

// A label's rendered text: where its ink lies, in device pixels, and its
// colour where it stands out most from the label's background (the core
// of a stroke, past the blended pixels at its edges).
struct Ink {
  QRect bounds;
  qreal ratio;
  QColor colour;
  double contrast;
};

Ink inkOf(QLabel& label) {
  const QImage image = label.grab().toImage();
  const QColor background = image.pixelColor(image.width() - 1, image.height() - 1);
  Ink ink{{}, image.devicePixelRatio(), background, 1};
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel == background) continue;
      ink.bounds |= QRect(x, y, 1, 1);
      const double contrast = contrastRatio(pixel, background);
      if (contrast > ink.contrast) ink = {ink.bounds, ink.ratio, pixel, contrast};
    }
  }
  return ink;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openWindow()); }
  void cleanup() { window_.reset(); }

  // Tab walks the cells, then the button and boxes.
  void startsEmptyWithEveryControlMenuAndTabStopInPlace() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tolvane"));
    QCOMPARE(window_->centralWidget()->size(), QSize(360, 326));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
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
      for (const QAction* item : menu->menu()->actions())
        seen << item->objectName() + "=" + item->text() + item->shortcut().toString();
    }
    QCOMPARE(seen, QStringList({"mnufile=&File", "mnuexit=E&xit", "mnusettings=&Settings",
                                "mnuabout=&About", "mnuhelp=&Help"}));
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
      for (const int dy : {0, 8, 15})
        for (const int dx : {0, 8, 15})
          QVERIFY2((dx == 8 && dy == 8) || colourAt(left + dx, top + dy) == colour,
                   qPrintable(QStringLiteral("Check%1 +%2+%3").arg(n).arg(dx).arg(dy)));
    }
    // Background, the three register labels, the two notices.
    const int spots[][3] = {{2, 2, 0x000040},    {350, 320, 0x000040}, {56, 160, 0xFFFF00},
                            {56, 200, 0x0000FF}, {56, 240, 0xFF0000},  {350, 275, 0x000000},
                            {210, 308, 0x000000}};
    for (const auto& [x, y, colour] : spots) QCOMPARE(colourAt(x, y), QRgb(colour));
    for (const char* notice : {"Label4", "lbladvert"})
      QCOMPARE(inkOf(*find<QLabel>(notice)).colour, QColor(Qt::yellow));
  }

  // On desktop fonts of 9 to 12 pt, every text shows whole: on the labels
  // as rendered, on the buttons and boxes with a pixel to spare.
  void everyTextShowsWholeOnAnyDesktopFont() {
    const QFont desktopFont = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(desktopFont); });
    for (const int pointSize : {9, 10, 11, 12}) {
      QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), pointSize));
      QVERIFY(openWindow());
      const QByteArray at = " at " + QByteArray::number(pointSize) + " pt";
      // No ink reaches the last column or row, where a text too big is cut.
      for (const char* name : {"lbldata0", "lbldata1", "lbldata2", "Label4", "lbladvert"}) {
        const Ink ink = inkOf(*find<QLabel>(name));
        const QPoint last = textRoom(*find<QLabel>(name)).rect.bottomRight() * ink.ratio;
        QVERIFY2(!ink.bounds.isEmpty() && ink.bounds.right() < last.x() &&
                     ink.bounds.bottom() < last.y(),
                 name + at);
      }
      for (const QPushButton* button :
           {find<QPushButton>("cmdcode"), find<QPushButton>("clrfield")}) {
        QVERIFY2(textFits(button->font(), button->text(), textRoom(*button)), at);
      }
      for (const QChar digit : QStringLiteral("0123456789ABCDEF")) {
        const QString table = QStringList(8, QString(2, digit)).join(", ");
        for (int reg = 0; reg < 3; ++reg)
          QVERIFY2(textFits(box(reg)->font(), table, textRoom(*box(reg))), at);
      }
    }
  }

  // The desktop switches to each scheme while the window is open, as one
  // turning dark does: each register label's text (PFData0, 1, 2) reads at
  // 4.5:1 on its colour, in the desktop's text colour where that reads.
  void registerLabelsReadOnEveryColourScheme() {
    const QColor black(Qt::black), white(Qt::white), brown(60, 40, 20), cream(255, 255, 208);
    const struct {
      QColor text, background, inks[3];
    } schemes[] = {
        {black, {239, 239, 239}, {black, white, black}},        // light
        {white, {66, 66, 69}, {black, white, black}},           // dark
        {{176, 176, 176}, {1, 11, 44}, {black, white, black}},  // grey on navy
        {brown, {255, 250, 230}, {brown, white, black}},        // brown on paper
        {cream, {40, 40, 40}, {black, cream, black}},           // cream on dark
    };
    const auto restore =
        qScopeGuard([desktop = QApplication::palette()] { QApplication::setPalette(desktop); });
    for (const auto& [text, background, inks] : schemes) {
      QPalette scheme = QApplication::palette();
      scheme.setColor(QPalette::WindowText, text);
      scheme.setColor(QPalette::Window, background);
      QApplication::setPalette(scheme);
      QCoreApplication::processEvents();  // the window hears of it from the event loop
      for (int reg = 0; reg < 3; ++reg) {
        const Ink ink = inkOf(*find<QLabel>(QStringLiteral("lbldata%1").arg(reg)));
        QVERIFY2(ink.colour == inks[reg] && ink.contrast >= 4.5,
                 qPrintable(QStringLiteral("%1 on %2: PFData%3 %4 at %5:1")
                                .arg(text.name(), background.name())
                                .arg(reg)
                                .arg(ink.colour.name())
                                .arg(ink.contrast)));
      }
    }
  }

  // A cell whose check box has gone is a failing control access: the
  // command stops there, keeps what it did, and the user is told.
  void aCommandThatFailsIsShownAndTheWindowGoesOn() {
    for (int n = 1; n <= 160; ++n) cell(n)->setChecked(true);
    box(0)->setText("before");
    delete cell(77);
    const QString shown =
        QStringLiteral("Tolvane|Run-time error: Check77 is gone|an icon, 1 button");
    QCOMPARE(modalBoxShownBy([&] { click("clrfield"); }, cell(1)), shown);
    QCOMPARE(cell(76)->checkState(), Qt::Unchecked);
    QCOMPARE(cell(78)->checkState(), Qt::Checked);
    QCOMPARE(box(0)->text(), QStringLiteral("before"));
    // Check77 is a PF2 cell of row 4: PF2 stops after the four lower bytes.
    QCOMPARE(modalBoxShownBy([&] { click("cmdcode"); }, cell(1)), shown);
    QCOMPARE(box(0)->text(), QStringLiteral("F0, F0, F0, F0, 00, 00, 00, 00"));
    QCOMPARE(box(2)->text(), QStringLiteral("FF, FF, FF, FF, "));
  }

  // By Exit and by the window's close control.
  void exitAndClosingEndTheProgramAtOnce() {
    for (const bool byMenu : {true, false}) {
      QVERIFY(openWindow());
      tick(7);
      QTimer::singleShot(
          0, [&] { byMenu ? find<QAction>("mnuexit")->trigger() : void(window_->close()); });
      // Bound to the window, so that it cannot fire in a later test.
      QTimer::singleShot(5000, window_.get(), [] { QCoreApplication::exit(1); });
      QVERIFY2(QApplication::exec() == 0, byMenu ? "Exit" : "close control");
    }
  }

  // Random ticks, Create Code every round against the oracle,
  // Clear Fields every eighth, with pasted rubbish, dimmed cells and About
  // and Help in between: modal boxes with their text, one OK button and no
  // icon, which change nothing in the window. Nothing piles up: the
  // window holds as many objects after round 10000 as after round 100.
  // Under an emulator (a cross-build's tests) TOLVANE_SOAK_ROUNDS makes it
  // shorter: each round there takes forty times as long.
  void tenThousandRoundsMatchTheOracleAndPileNothingUp() {
    const int rounds = qEnvironmentVariableIsSet("TOLVANE_SOAK_ROUNDS")
                           ? qEnvironmentVariableIntValue("TOLVANE_SOAK_ROUNDS")
                           : 10000;
    const std::pair<const char*, QString> menuBoxes[] = {
        {"mnuabout",
         "About Tolvane|Tolvane V1.3  Atari 2600 playfield tables, bottom row "
         "first.|no icon, 1 button"},
        {"mnuhelp",
         "Help|Please read the readme.txt file found in the zipped archive. |no "
         "icon, 1 button"}};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyCell(1, 160), clicks(0, 6), anyBox(0, 2);
    testing::Drawing drawing{};
    qsizetype afterHundred = 0;
    for (int round = 1; round <= rounds; ++round) {
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
        QTest::keySequence(box(anyBox(random)), QKeySequence::Paste);
      }
      if (round % 8 == 0) {  // a dimmed cell is clear, and Clear Fields undims it
        const int n = anyCell(random);
        cell(n)->setCheckState(Qt::PartiallyChecked);
        drawing[n - 1] = 2;
      }
      if (round % 100 == 0) {  // About and Help by turns
        const auto& [item, shown] = menuBoxes[round / 100 % 2];
        QCOMPARE(modalBoxShownBy([&] { find<QAction>(item)->trigger(); }, cell(anyCell(random))),
                 shown);
      }
      click("cmdcode");
      QVERIFY2(tablesMatch(drawing), qPrintable(QString::number(round)));
      if (round % 8 == 0) {
        click("clrfield");
        drawing.fill(0);
        QVERIFY(tablesMatch(drawing));
      }
      if (round == 100) afterHundred = objectCount();
    }
    QCOMPARE(objectCount(), afterHundred);
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
  qsizetype objectCount() const {
    return QApplication::allWidgets().size() + window_->findChildren<QObject*>().size();
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
