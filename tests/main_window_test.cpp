// The window as the user meets it: controls found by name, clicked and
// typed into through QTest, and read back from the real widgets.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>

#include "app/shell_messages.h"
#include "tests/window_fixture.h"
#include "ui/text_fit.h"

namespace tolvane {

class MainWindowTest : public testing::WindowFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openWindow()); }
  void cleanup() { closeWindow(); }

  void startsEmptyAndFixed() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tolvane"));
    QVERIFY(!window_->windowIcon().pixmap(64).isNull());
    QCOMPARE(window_->centralWidget()->size(), QSize(360, 326));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    QCOMPARE(window_->findChildren<QCheckBox*>().size(), 160);
    for (int n = 1; n <= 160; ++n) QCOMPARE(cell(n)->checkState(), Qt::Unchecked);
    for (int reg = 0; reg < 3; ++reg) QVERIFY(box(reg)->text().isEmpty());
  }

  // On the rendered window: every cell's square outside its tick box (its
  // corners and edge middles) in the register's colour, at the place the
  // twips give; the labels, notices and the background in theirs.
  void theWindowShowsItsColoursInPlace() {
    box(0)->setFocus();  // no focus frame on a cell
    const QImage client = window_->centralWidget()->grab().toImage();
    const qreal ratio = client.devicePixelRatio();
    const auto colourAt = [&](int x, int y) {
      return client.pixel(int((x + 0.5) * ratio), int((y + 0.5) * ratio)) & 0xFFFFFF;
    };
    constexpr QRgb kYellow = 0xFFFF00, kBlue = 0x0000FF, kRed = 0xFF0000;
    for (int n = 1; n <= 160; ++n) {
      const int column = (n - 1) % 20 + 1, row = (n - 1) / 20 + 1;
      const QRgb expected = column <= 4 ? kYellow : column <= 12 ? kBlue : kRed;
      const int left = 16 * column, top = 8 + 16 * (row - 1);  // 240 and 120 twips
      // The 17-pixel square's last column and row lie under its neighbours.
      for (const auto& [dx, dy] :
           {std::pair{0, 0}, {8, 0}, {15, 0}, {0, 8}, {15, 8}, {0, 15}, {8, 15}, {15, 15}}) {
        QVERIFY2(colourAt(left + dx, top + dy) == expected,
                 qPrintable(QStringLiteral("Check%1 at +%2+%3").arg(n).arg(dx).arg(dy)));
      }
    }
    const std::tuple<int, int, QRgb> spots[] = {
        {2, 2, 0x000040},     {350, 320, 0x000040},  // background, top-left and bottom-right
        {56, 160, kYellow},   {56, 200, kBlue},     {56, 240, kRed},  // register labels
        {350, 275, 0x000000}, {210, 308, 0x000000},                   // notices
    };
    for (const auto& [x, y, rgb] : spots) {
      QVERIFY2(colourAt(x, y) == rgb, qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
    }
    bool yellowText = false;  // the notices' words in yellow
    for (int y = 216; y < 281 && !yellowText; ++y) {
      for (int x = 232; x < 353 && !yellowText; ++x) yellowText = colourAt(x, y) == kYellow;
    }
    QVERIFY(yellowText);
  }

  void controlsKeepTheirPlaces() {
    QCOMPARE(find<QPushButton>("cmdcode")->geometry(), QRect(232, 144, 89, 33));
    QCOMPARE(find<QPushButton>("clrfield")->geometry(), QRect(232, 184, 89, 25));
    QCOMPARE(cell(141)->toolTip(), QStringLiteral("Row 8, column 1: PF0 bit 4"));
    QCOMPARE(cell(20)->accessibleName(), QStringLiteral("Row 1, column 20: PF2 bit 7"));
    QCOMPARE(box(1)->accessibleName(), QStringLiteral("PF1 table"));

    // Inside the client area, and only neighbouring cells share an edge.
    const QList<QWidget*> controls =
        window_->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* a : controls) {
      QVERIFY(window_->centralWidget()->rect().contains(a->geometry()));
      for (const QWidget* b : controls) {
        if (a == b || (qobject_cast<const QCheckBox*>(a) && qobject_cast<const QCheckBox*>(b))) {
          continue;
        }
        QVERIFY2(!a->geometry().intersects(b->geometry()),
                 qPrintable(a->objectName() + " " + b->objectName()));
      }
    }
  }

  void everyTextShowsWholeOnAnyDesktopFont_data() {
    QTest::addColumn<int>("pointSize");
    for (const int size : {9, 10, 11, 12}) QTest::addRow("DejaVu Sans %d", size) << size;
  }

  // Each text fits its place with a pixel to spare, and on the rendered
  // labels no ink touches the edge where the text would be cut.
  void everyTextShowsWholeOnAnyDesktopFont() {
    QFETCH(int, pointSize);
    const QFont desktopFont = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), pointSize));
    closeWindow();
    QVERIFY(openWindow());
    QApplication::setFont(desktopFont);

    for (const char* name : {"lbldata0", "lbldata1", "lbldata2", "Label4", "lbladvert"}) {
      QLabel* label = find<QLabel>(name);
      const TextRoom room = textRoom(*label);
      QVERIFY2(textFits(label->font(), label->text(), room), name);
      QVERIFY2(inkEndsBefore(*label, room.rect.bottomRight()), name);
    }
    for (const char* name : {"cmdcode", "clrfield"}) {
      const QPushButton* button = find<QPushButton>(name);
      QVERIFY2(textFits(button->font(), button->text(), textRoom(*button)), name);
    }
    for (const QChar digit : QStringLiteral("0123456789ABCDEF")) {
      const QString table = QStringList(8, QString(2, digit)).join(", ");
      for (int reg = 0; reg < 3; ++reg) {
        QVERIFY2(textFits(box(reg)->font(), table, textRoom(*box(reg))), qPrintable(table));
      }
    }
  }

  void menusHoldTheirItemsInOrder() {
    QStringList seen;
    for (const QAction* menu : window_->menuBar()->actions()) {
      seen << menu->menu()->objectName() + "=" + menu->text();
      for (const QAction* item : menu->menu()->actions()) {
        seen << item->objectName() + "=" + item->text();
        QVERIFY(item->shortcut().isEmpty());
      }
    }
    QCOMPARE(seen, QStringList({"mnufile=&File", "mnuexit=E&xit", "mnusettings=&Settings",
                                "mnuabout=&About", "mnuhelp=&Help"}));
  }

  void tabWalksCellsThenButtonAndBoxes() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    cell(1)->setFocus();
    QStringList walk, expected;
    for (int step = 0; step < 166; ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      walk << QApplication::focusWidget()->objectName();
    }
    for (int n = 2; n <= 160; ++n) expected << QStringLiteral("Check%1").arg(n);
    expected << QStringList{"cmdcode", "text3", "play1", "play2", "clrfield", "Check1", "Check2"};
    QCOMPARE(walk, expected);
  }

  void createCodeWritesTheTicksAsTables() {
    for (const int n : {141, 143, 2, 3, 145, 147, 149, 150, 152}) click(cell(n));
    cell(157)->setFocus();
    QTest::keyClick(cell(157), Qt::Key_Space);
    QVERIFY(box(0)->text().isEmpty());  // ticking computes nothing
    QTest::keyClicks(box(1), "typed by hand");
    click("cmdcode");
    QCOMPARE(box(0)->text(), QStringLiteral("50, 00, 00, 00, 00, 00, 00, 60"));
    QCOMPARE(box(1)->text(), QStringLiteral("AD, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(box(2)->text(), QStringLiteral("10, 00, 00, 00, 00, 00, 00, 00"));
    QCOMPARE(cell(141)->checkState(), Qt::Checked);  // the drawing stays
  }

  void clearFieldsUnticksEverythingAndWritesZeroTables() {
    for (int n = 1; n <= 160; ++n) cell(n)->setChecked(true);
    box(0)->setText("anything");
    click("clrfield");
    for (int n = 1; n <= 160; ++n) QCOMPARE(cell(n)->checkState(), Qt::Unchecked);
    for (int reg = 0; reg < 3; ++reg) QCOMPARE(box(reg)->text(), testing::kZeroTable);
  }

  void aboutAndHelpShowTheirTexts_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<int>("dismissKey");  // 0: the OK button, -1: the close control
    const QString help = "Please read the readme.txt file found in the zipped archive. ";
    QTest::newRow("about, OK") << "mnuabout"
                               << "About Tolvane" << aboutPrompt() << 0;
    QTest::newRow("about, Escape") << "mnuabout"
                                   << "About Tolvane" << aboutPrompt() << int(Qt::Key_Escape);
    QTest::newRow("help, Enter") << "mnuhelp"
                                 << "Help" << help << int(Qt::Key_Return);
    QTest::newRow("help, closed") << "mnuhelp"
                                  << "Help" << help << -1;
  }

  void aboutAndHelpShowTheirTexts() {
    QFETCH(QString, item);
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    QFETCH(int, dismissKey);
    QVERIFY(aboutPrompt().startsWith("Tolvane V1.3  ") && !aboutPrompt().contains('\n'));
    click(cell(1));
    QStringList seen;
    const bool shown =
        withModalBox([&] { window_->findChild<QAction*>(item)->trigger(); },
                     [&](QMessageBox* box) {
                       seen << box->windowTitle() << box->text()
                            << (box->icon() == QMessageBox::NoIcon ? "no icon" : "icon")
                            << QString::number(box->buttons().size());
                       if (dismissKey > 0) QTest::keyClick(box, Qt::Key(dismissKey));
                       if (dismissKey == 0) box->button(QMessageBox::Ok)->click();
                       if (dismissKey < 0) box->close();
                     });
    QVERIFY(shown);
    QCOMPARE(seen, QStringList({title, prompt, "no icon", "1"}));
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
    const bool shown = withModalBox([&] { click("clrfield"); },
                                    [&](QMessageBox* box) {
                                      shownText = box->text();
                                      box->button(QMessageBox::Ok)->click();
                                    });
    QVERIFY(shown);
    QCOMPARE(shownText, QStringLiteral("Run-time error: Check77 is gone"));
    QCOMPARE(cell(76)->checkState(), Qt::Unchecked);
    QCOMPARE(cell(78)->checkState(), Qt::Checked);
    QCOMPARE(box(0)->text(), QStringLiteral("before"));

    // Row 4, column 17 is a PF2 cell: PF0 and PF1 are written, PF2 stops
    // after the four bytes below row 4 and the separator.
    withModalBox([&] { click("cmdcode"); },
                 [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
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
    click(cell(7));
    QTimer::singleShot(0, [&] {
      byMenu ? window_->findChild<QAction*>("mnuexit")->trigger() : void(window_->close());
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
  }

 private:
  // True if the label shows text and no pixel of it reaches `last`'s column
  // or row, where text that does not fit would be cut.
  static bool inkEndsBefore(QLabel& label, const QPoint& last) {
    const QImage image = label.grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != background) ink |= QRect(x, y, 1, 1);
      }
    }
    return !ink.isEmpty() && ink.right() < last.x() * ratio && ink.bottom() < last.y() * ratio;
  }

  // Runs `handle` on the modal box that `open` shows; false if none showed.
  static bool withModalBox(const std::function<void()>& open,
                           const std::function<void(QMessageBox*)>& handle) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      seen = true;
      handle(box);
    });
    open();
    return seen;
  }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::MainWindowTest)

#include "main_window_test.moc"
