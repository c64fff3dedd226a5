#include "ui/main_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStringList>
#include <exception>

#include "app/shell_messages.h"
#include "codegen/register_bits.h"
#include "codegen/tables.h"
#include "ui/layout.h"
#include "ui/playfield_cell.h"
#include "ui/text_contrast.h"
#include "ui/text_fit.h"
#include "ui/window_texts.h"

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
  const std::string_view name = texts::registerName(reg);
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// The widest table text the font can show: eight bytes of its widest digit.
QString widestTable(const QFont& font) {
  const QFontMetricsF metrics(font);
  QChar widest = u'0';
  for (const QChar digit : QStringLiteral("0123456789ABCDEF")) {
    if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(widest)) widest = digit;
  }
  return QStringList(kRows, QString(2, widest))
      .join(QLatin1String(kSeparator.data(), kSeparator.size()));
}

// Every text of the fixed layout shows whole, on any desktop font.
template <typename Widget>
void fitText(Widget* widget, const QString& text) {
  widget->setFont(fittingFont(widget->font(), text, textRoom(*widget)));
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
  setWindowTitle(tr(texts::kWindowTitle));
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
    auto* box = new PlayfieldCell(toColor(layout::registerColour(reg)), client);
    box->setObjectName(QStringLiteral("Check%1").arg(cell));
    box->setGeometry(toPixels(layout::cellRect(row, column)));
    const QString where = tr(texts::kCellName)
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
  QLineEdit* edits[3] = {};
  for (int i = 0; i < 3; ++i) {
    const layout::OutputRow& row = layout::kOutputRows[i];
    QLabel* label = addLabel(client, row.labelName, tr(texts::kRegisterLabel).arg(i), row.labelPlace,
                             layout::registerColour(row.reg));
    fitText(label, label->text());
    registerLabels_[i] = label;
    auto* edit = new QLineEdit(client);
    edit->setObjectName(QLatin1String(row.boxName));
    edit->setGeometry(toPixels(row.boxPlace));
    edit->setAccessibleName(tr(texts::kTableName).arg(registerName(row.reg)));
    edits[i] = edit;
  }
  colourRegisterLabels();
  fitText(edits[0], widestTable(edits[0]->font()));
  for (QLineEdit* edit : edits) edit->setFont(edits[0]->font());
  text3_ = edits[0];
  play1_ = edits[1];
  play2_ = edits[2];
  pf0Box_ = LineEditBox(text3_);
  pf1Box_ = LineEditBox(play1_);
  pf2Box_ = LineEditBox(play2_);

  cmdcode_ = new QPushButton(tr(texts::kCreateCode), client);
  cmdcode_->setObjectName(QStringLiteral("cmdcode"));
  cmdcode_->setGeometry(toPixels(layout::kCreateCodeButton));
  fitText(cmdcode_, cmdcode_->text());
  bind(cmdcode_, &QPushButton::clicked, &MainWindow::cmdcode_Click);

  clrfield_ = new QPushButton(tr(texts::kClearFields), client);
  clrfield_->setObjectName(QStringLiteral("clrfield"));
  clrfield_->setGeometry(toPixels(layout::kClearFieldsButton));
  fitText(clrfield_, clrfield_->text());
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
    notice->setMargin(layout::toPixels(layout::kNoticePadding));
    fitText(notice, text);
  };
  addNotice("Label4", tr(texts::kNotice), layout::kNotice);
  addNotice("lbladvert", tr(texts::kInformation),
            layout::kInformation);
}

void MainWindow::createMenus() {
  QMenuBar* bar = menuBar();
  // A global menu bar would take the menus out of the window.
  bar->setNativeMenuBar(false);

  QMenu* file = bar->addMenu(tr(texts::kFileMenu));
  file->setObjectName(QStringLiteral("mnufile"));
  QAction* exit = file->addAction(tr(texts::kExit));
  exit->setObjectName(QStringLiteral("mnuexit"));
  bind(exit, &QAction::triggered, &MainWindow::mnuexit_Click);

  QMenu* settings = bar->addMenu(tr(texts::kSettingsMenu));
  settings->setObjectName(QStringLiteral("mnusettings"));
  QAction* about = settings->addAction(tr(texts::kAbout));
  about->setObjectName(QStringLiteral("mnuabout"));
  bind(about, &QAction::triggered, &MainWindow::mnuabout_Click);
  QAction* help = settings->addAction(tr(texts::kHelp));
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

// The register labels keep their colours whatever the desktop's scheme, so
// their text takes the desktop's colour only where it reads on them.
void MainWindow::colourRegisterLabels() {
  for (QLabel* label : registerLabels_) makeTextReadable(*label, palette());
}

// A desktop switching between light and dark hands the window a new palette.
void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) colourRegisterLabels();
  QMainWindow::changeEvent(event);
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
