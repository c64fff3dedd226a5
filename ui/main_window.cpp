#include "ui/main_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>
#include <exception>

#include "app/shell_messages.h"
#include "codegen/register_bits.h"
#include "ui/layout.h"

namespace tolvane {
namespace {

QRect toPixels(const layout::TwipsRect& rect) {
  return {layout::toPixels(rect.left), layout::toPixels(rect.top), layout::toPixels(rect.width),
          layout::toPixels(rect.height)};
}

QColor toColor(const layout::Rgb& rgb) { return {rgb.red, rgb.green, rgb.blue}; }

void fillBackground(QWidget* widget, const layout::Rgb& background) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, toColor(background));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QString registerName(Register reg) {
  switch (reg) {
    case Register::kPf0:
      return QStringLiteral("PF0");
    case Register::kPf1:
      return QStringLiteral("PF1");
    case Register::kPf2:
      return QStringLiteral("PF2");
  }
  return {};
}

// The layout was drawn for a smaller system font than most desktops use
// now. The table boxes get a font just small enough that a whole table
// shows, so the last byte is never hidden behind a box's edge.
QFont wholeTableFont(const QLineEdit* edit) {
  constexpr double kSmallestPointSize = 6.0;
  constexpr int kTextMargin = 2;  // QLineEdit's own padding on each side
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
  const double available =
      edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() -
      2 * kTextMargin - 1;

  QFont font = edit->font();
  const QFontMetricsF metrics(font);
  double widestDigit = 0;
  for (const QChar digit : QStringLiteral("0123456789ABCDEF")) {
    widestDigit = std::max(widestDigit, metrics.horizontalAdvance(digit));
  }
  const double widestTable =
      2 * kRows * widestDigit + (kRows - 1) * metrics.horizontalAdvance(QStringLiteral(", "));
  if (widestTable > available) {
    // Text width follows the point size; round down to half points.
    const double fitting = std::floor(2 * font.pointSizeF() * available / widestTable) / 2;
    font.setPointSizeF(std::max(kSmallestPointSize, fitting));
  }
  return font;
}

QLabel* addLabel(QWidget* client, const char* name, const QString& text,
                 const layout::TwipsRect& place, const layout::Rgb& background) {
  auto* label = new QLabel(text, client);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(toPixels(place));
  fillBackground(label, background);
  return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmtolvane"));
  setWindowTitle(tr("Tolvane"));
  setWindowIcon(QIcon(QStringLiteral(":/tolvane-64.png")));

  auto* client = new QWidget(this);
  client->setFixedSize(layout::toPixels(layout::kClientWidth),
                       layout::toPixels(layout::kClientHeight));
  fillBackground(client, layout::kWindowBackground);
  setCentralWidget(client);

  createGrid(client);
  createOutputRows(client);
  createNotices(client);
  createMenus();
  setTabOrder();

  // The layout is fixed: the window takes the size of its menu bar and
  // client area and cannot be resized.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::createGrid(QWidget* client) {
  for (int cell = 1; cell <= kCellCount; ++cell) {
    const int row = rowOfCell(cell);
    const int column = columnOfCell(cell);
    const Register reg = registerOfColumn(column);
    auto* box = new QCheckBox(client);
    box->setObjectName(QStringLiteral("Check%1").arg(cell));
    box->setGeometry(toPixels(layout::cellRect(row, column)));
    fillBackground(box, layout::registerColour(reg));
    const QString where = tr("Row %1, column %2: %3 bit %4")
                              .arg(row)
                              .arg(column)
                              .arg(registerName(reg))
                              .arg(bitOfColumn(column));
    box->setToolTip(where);
    box->setAccessibleName(where);
    cells_[cell - 1] = box;
  }
  grid_ = CheckBoxGrid(cells_);
}

void MainWindow::createOutputRows(QWidget* client) {
  struct OutputRow {
    const char* labelName;
    const char* boxName;
    Register reg;
    layout::TwipsRect labelPlace;
    layout::TwipsRect boxPlace;
  };
  const OutputRow rows[] = {
      {"lbldata0", "text3", Register::kPf0, layout::kPf0Label, layout::kPf0Box},
      {"lbldata1", "play1", Register::kPf1, layout::kPf1Label, layout::kPf1Box},
      {"lbldata2", "play2", Register::kPf2, layout::kPf2Label, layout::kPf2Box},
  };
  QLineEdit* edits[3] = {};
  for (int i = 0; i < 3; ++i) {
    const OutputRow& row = rows[i];
    addLabel(client, row.labelName, tr("PFData%1").arg(i), row.labelPlace,
             layout::registerColour(row.reg));
    auto* edit = new QLineEdit(client);
    edit->setObjectName(QLatin1String(row.boxName));
    edit->setGeometry(toPixels(row.boxPlace));
    edit->setAccessibleName(tr("%1 table").arg(registerName(row.reg)));
    edits[i] = edit;
  }
  const QFont tableFont = wholeTableFont(edits[0]);
  for (QLineEdit* edit : edits) edit->setFont(tableFont);
  text3_ = edits[0];
  play1_ = edits[1];
  play2_ = edits[2];
  pf0Box_ = LineEditBox(text3_);
  pf1Box_ = LineEditBox(play1_);
  pf2Box_ = LineEditBox(play2_);

  cmdcode_ = new QPushButton(tr("Create Code"), client);
  cmdcode_->setObjectName(QStringLiteral("cmdcode"));
  cmdcode_->setGeometry(toPixels(layout::kCreateCodeButton));
  bind(cmdcode_, &QPushButton::clicked, &MainWindow::cmdcode_Click);

  clrfield_ = new QPushButton(tr("Clear Fields"), client);
  clrfield_->setObjectName(QStringLiteral("clrfield"));
  clrfield_->setGeometry(toPixels(layout::kClearFieldsButton));
  bind(clrfield_, &QPushButton::clicked, &MainWindow::clrfield_Click);
}

void MainWindow::createNotices(QWidget* client) {
  const auto addNotice = [client](const char* name, const QString& text,
                                  const layout::TwipsRect& place) {
    QLabel* notice = addLabel(client, name, text, place, layout::kNoticeBackground);
    QPalette palette = notice->palette();
    palette.setColor(QPalette::WindowText, toColor(layout::kNoticeText));
    notice->setPalette(palette);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  };
  addNotice("Label4", tr("Tick the pixels to light, then press Create Code."), layout::kNotice);
  addNotice("lbladvert",
            tr("Each table lists the bottom row first. Copy it into your "
               "game's source."),
            layout::kInformation);
}

void MainWindow::createMenus() {
  QMenuBar* bar = menuBar();
  // A global menu bar would take the menus out of the window.
  bar->setNativeMenuBar(false);

  QMenu* file = bar->addMenu(tr("&File"));
  file->setObjectName(QStringLiteral("mnufile"));
  QAction* exit = file->addAction(tr("E&xit"));
  exit->setObjectName(QStringLiteral("mnuexit"));
  bind(exit, &QAction::triggered, &MainWindow::mnuexit_Click);

  QMenu* settings = bar->addMenu(tr("&Settings"));
  settings->setObjectName(QStringLiteral("mnusettings"));
  QAction* about = settings->addAction(tr("&About"));
  about->setObjectName(QStringLiteral("mnuabout"));
  bind(about, &QAction::triggered, &MainWindow::mnuabout_Click);
  QAction* help = settings->addAction(tr("&Help"));
  help->setObjectName(QStringLiteral("mnuhelp"));
  bind(help, &QAction::triggered, &MainWindow::mnuhelp_Click);
}

// Cells row by row, then Create Code, the PF0, PF1 and PF2 boxes and
// Clear Fields; Tab wraps from there to the first cell.
void MainWindow::setTabOrder() {
  QWidget* previous = cells_[0];
  const auto follow = [&previous](QWidget* next) {
    QWidget::setTabOrder(previous, next);
    previous = next;
  };
  for (int cell = 2; cell <= kCellCount; ++cell) follow(cells_[cell - 1]);
  for (QWidget* next :
       std::initializer_list<QWidget*>{cmdcode_, text3_, play1_, play2_, clrfield_}) {
    follow(next);
  }
}

void MainWindow::run(Handler handler) {
  try {
    (this->*handler)();
  } catch (const std::exception& error) {
    showRunTimeError(this, QString::fromLocal8Bit(error.what()));
  } catch (...) {
    showRunTimeError(this, tr("unknown error"));
  }
}

void MainWindow::cmdcode_Click() { createCode(grid_, tableBoxes()); }

void MainWindow::clrfield_Click() { clearFields(grid_, tableBoxes()); }

void MainWindow::mnuabout_Click() { showAbout(this); }

void MainWindow::mnuhelp_Click() { showHelp(this); }

void MainWindow::mnuexit_Click() { QCoreApplication::quit(); }

}  // namespace tolvane
