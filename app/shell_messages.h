// The About and Help messages of the Settings menu.
#ifndef TOLVANE_APP_SHELL_MESSAGES_H_
#define TOLVANE_APP_SHELL_MESSAGES_H_

class QString;
class QWidget;

namespace tolvane {

QString aboutPrompt();
QString helpPrompt();

// Modal boxes with a single OK button and no icon; they return when the
// user dismisses them, however that is done.
void showAbout(QWidget* parent);
void showHelp(QWidget* parent);

}  // namespace tolvane

#endif  // TOLVANE_APP_SHELL_MESSAGES_H_
