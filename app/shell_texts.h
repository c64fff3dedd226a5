// The words of the program shell, free of Qt: the desktop's message boxes
// and the browser page's dialogs show the same.
#ifndef TOLVANE_APP_SHELL_TEXTS_H_
#define TOLVANE_APP_SHELL_TEXTS_H_

namespace tolvane::texts {

inline constexpr char kAboutTitle[] = "About Tolvane";
// One line: the version (%1), two spaces, the notice.
inline constexpr char kAboutPrompt[] = "Tolvane V%1  Atari 2600 playfield tables, bottom row first.";
inline constexpr char kHelpTitle[] = "Help";
inline constexpr char kHelpPrompt[] = "Please read the readme.txt file found in the zipped archive. ";
inline constexpr char kErrorTitle[] = "Tolvane";
// %1: what went wrong.
inline constexpr char kRunTimeError[] = "Run-time error: %1";
inline constexpr char kOk[] = "OK";

}  // namespace tolvane::texts

#endif  // TOLVANE_APP_SHELL_TEXTS_H_
