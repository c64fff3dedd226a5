// The messages of the program shell: About and Help from the Settings
// menu, and the box that reports an error a command could not finish.
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

// Tells the user that a command stopped part-way; whatever it had written
// stays, and the window goes on working.
void showRunTimeError(QWidget* parent, const QString& what);

}  // namespace tolvane

#endif  // TOLVANE_APP_SHELL_MESSAGES_H_
