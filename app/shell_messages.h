// The messages of the program shell: About and Help from the Settings
// menu, and the box that reports an error a command could not finish.
#ifndef TOLVANE_APP_SHELL_MESSAGES_H_
#define TOLVANE_APP_SHELL_MESSAGES_H_

class QString;
class QWidget;

namespace tolvane {

QString aboutPrompt();
QString helpPrompt();

// Modal boxes with a single OK button and no icon. They return at once;
// the window takes no input until the user dismisses the box.
void showAbout(QWidget* parent);
void showHelp(QWidget* parent);

// Tells the user, in a modal box, that a command stopped part-way; whatever
// it had written stays, and the window goes on working once the box is
// dismissed.
void showRunTimeError(QWidget* parent, const QString& what);

}  // namespace tolvane

#endif  // TOLVANE_APP_SHELL_MESSAGES_H_
