#include "app/shell_messages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

#include "app/shell_texts.h"

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
  return tr(texts::kAboutPrompt).arg(QStringLiteral(TOLVANE_VERSION));
}

QString helpPrompt() { return tr(texts::kHelpPrompt); }

void showAbout(QWidget* parent) { showMessage(parent, tr(texts::kAboutTitle), aboutPrompt()); }

void showHelp(QWidget* parent) { showMessage(parent, tr(texts::kHelpTitle), helpPrompt()); }

void showRunTimeError(QWidget* parent, const QString& what) {
  showMessage(parent, tr(texts::kErrorTitle), tr(texts::kRunTimeError).arg(what), QMessageBox::Critical);
}

}  // namespace tolvane
