// The one window of Tolvane: the playfield grid across the top, the three
// output rows below it, two notices and the menus. Five handlers have code
// behind them; ticking a cell runs none.
#ifndef TOLVANE_UI_MAIN_WINDOW_H_
#define TOLVANE_UI_MAIN_WINDOW_H_

#include <QMainWindow>
#include <array>

#include "codegen/commands.h"
#include "ui/check_box_grid.h"
#include "ui/line_edit_box.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvane {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void createGrid(QWidget* client);
  void createOutputRows(QWidget* client);
  void createNotices(QWidget* client);
  void createMenus();
  void setTabOrder();
  void colourRegisterLabels();

  using Handler = void (MainWindow::*)();

  // Binds an event to its handler. An error that a handler lets through
  // must not unwind into Qt, which cannot pass it on and would end the
  // program: the user is shown it instead, and the window goes on.
  template <typename Sender, typename Signal>
  void bind(Sender* sender, Signal signal, Handler handler) {
    connect(sender, signal, this, [this, handler] { run(handler); });
  }
  void run(Handler handler);

  void cmdcode_Click();
  void clrfield_Click();
  void mnuabout_Click();
  void mnuhelp_Click();
  void mnuexit_Click();

  TableBoxes tableBoxes() { return {pf0Box_, pf1Box_, pf2Box_}; }

  CheckBoxGrid::Cells cells_{};
  std::array<QLabel*, 3> registerLabels_{};
  QPushButton* cmdcode_ = nullptr;
  QPushButton* clrfield_ = nullptr;
  QLineEdit* text3_ = nullptr;
  QLineEdit* play1_ = nullptr;
  QLineEdit* play2_ = nullptr;
  CheckBoxGrid grid_;
  LineEditBox pf0Box_;
  LineEditBox pf1Box_;
  LineEditBox pf2Box_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_MAIN_WINDOW_H_
