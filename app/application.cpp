#include "app/application.h"

#include <QMessageBox>
#include <exception>

namespace tolvane {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tolvane"));
  setApplicationVersion(QStringLiteral(TOLVANE_VERSION));
}

bool Application::notify(QObject* receiver, QEvent* event) {
  // An exception that leaves an event handler would abort the process.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    showRunTimeError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    showRunTimeError(tr("unknown error"));
  }
  return false;
}

void Application::showRunTimeError(const QString& what) {
  QMessageBox box(QMessageBox::Critical, applicationName(), tr("Run-time error: %1").arg(what),
                  QMessageBox::Ok, activeWindow());
  box.setObjectName(QStringLiteral("runtimeError"));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace tolvane
