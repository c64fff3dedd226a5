#include "app/shell_messages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

namespace tolvane {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("tolvane::Shell", text); }

// Shown without a nested event loop, which a browser page cannot run: the
// box is modal, so the window takes no click or key until the user
// dismisses it, and it deletes itself then.
void showMessage(QWidget* parent, const QString& title, const QString& prompt,
                 QMessageBox::Icon icon = QMessageBox::NoIcon) {
  auto* box = new QMessageBox(icon, title, prompt, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setTextFormat(Qt::PlainText);
  box->setWindowModality(Qt::ApplicationModal);
  box->show();
}

}  // namespace

QString aboutPrompt() {
  // One line: the version, two spaces, the notice.
  return tr("Tolvane V%1  Atari 2600 playfield tables, bottom row first.")
      .arg(QStringLiteral(TOLVANE_VERSION));
}

QString helpPrompt() { return tr("Please read the readme.txt file found in the zipped archive. "); }

void showAbout(QWidget* parent) { showMessage(parent, tr("About Tolvane"), aboutPrompt()); }

void showHelp(QWidget* parent) { showMessage(parent, tr("Help"), helpPrompt()); }

void showRunTimeError(QWidget* parent, const QString& what) {
  showMessage(parent, tr("Tolvane"), tr("Run-time error: %1").arg(what), QMessageBox::Critical);
}

}  // namespace tolvane
