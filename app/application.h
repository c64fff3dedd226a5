// The Qt application with one addition: an error that escapes a handler is
// shown to the user in a message box instead of ending the program, and
// the window goes on working with whatever the handler left behind.
#ifndef TOLVANE_APP_APPLICATION_H_
#define TOLVANE_APP_APPLICATION_H_

#include <QApplication>

namespace tolvane {

class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void showRunTimeError(const QString& what);
};

}  // namespace tolvane

#endif  // TOLVANE_APP_APPLICATION_H_
