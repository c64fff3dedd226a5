// Every text of the window that the user reads, in one place and free of
// Qt: the desktop window translates them, and the browser page is written
// from them. "&" marks the access key of a menu or item; %1, %2... are
// filled in where the text is used.
#ifndef TOLVANE_UI_WINDOW_TEXTS_H_
#define TOLVANE_UI_WINDOW_TEXTS_H_

#include <string_view>

#include "ui/playfield_grid.h"

namespace tolvane::texts {

inline constexpr char kWindowTitle[] = "Tolvane";
inline constexpr char kCreateCode[] = "Create Code";
inline constexpr char kClearFields[] = "Clear Fields";
// %1: the register's number, 0 to 2.
inline constexpr char kRegisterLabel[] = "PFData%1";
// %1: the register's name.
inline constexpr char kTableName[] = "%1 table";
// %1 row, %2 column, %3 register, %4 bit: what a cell stands for.
inline constexpr char kCellName[] = "Row %1, column %2: %3 bit %4";
inline constexpr char kNotice[] = "Tick the pixels to light, then press Create Code.";
inline constexpr char kInformation[] = "Tables start with the bottom row. Copy them into your game.";

inline constexpr char kFileMenu[] = "&File";
inline constexpr char kExit[] = "E&xit";
inline constexpr char kSettingsMenu[] = "&Settings";
inline constexpr char kAbout[] = "&About";
inline constexpr char kHelp[] = "&Help";

// The browser page's own words, in place of the window when it cannot run
// or has ended. %1 and %2 as above.
inline constexpr char kPageEnded[] = "Tolvane has ended. Reload the page to start it again.";
inline constexpr char kPageNeedsWebAssembly[] =
    "Tolvane cannot run in this browser: it needs WebAssembly, which every current Firefox,"
    " Chrome, Edge and Safari has.";
// %1: why, one of the four below.
inline constexpr char kPageNotLoaded[] = "Tolvane could not be loaded: %1. Reload the page to try again.";
inline constexpr char kPageNotBuiltWith[] = "%1 on the server is not the one this page was built with";
inline constexpr char kPageMissing[] = "%1 is missing on the server (HTTP %2)";
inline constexpr char kPageOffline[] = "the network connection is gone";
inline constexpr char kPageScriptNotHad[] =
    "tolvane.js did not come from the server, or the browser refused it";
// %1: what the browser said.
inline constexpr char kPageNotStarted[] = "Tolvane could not start here: %1";
inline constexpr char kPageScriptDidNotRun[] =
    "Tolvane could not start: its script did not run. The site's security policy or an"
    " extension of the browser may block it. Allow JavaScript for this page, then reload it.";
inline constexpr char kPageScriptFailed[] =
    "Tolvane could not start: this browser could not run its script. Every current Firefox,"
    " Chrome, Edge and Safari can.";
inline constexpr char kPageNoScript[] =
    "Tolvane computes its tables with JavaScript and WebAssembly: please allow JavaScript for"
    " this page.";
inline constexpr char kPageFromFile[] =
    "Tolvane cannot run from a file opened on its own: a browser runs its program only from a"
    " web server. In the folder that holds index.html, run\n\n"
    "    python3 -m http.server 8000 --bind 127.0.0.1\n\n"
    "then open http://localhost:8000/ in the browser.";
// %1: a table box's label on the page, %2 its name: what a voice-control
// user reads on the screen comes first.
inline constexpr char kPageTableName[] = "%1, %2";

constexpr std::string_view registerName(Register reg) {
  switch (reg) {
    case Register::kPf0:
      return "PF0";
    case Register::kPf1:
      return "PF1";
    case Register::kPf2:
      return "PF2";
  }
  return {};
}

}  // namespace tolvane::texts

#endif  // TOLVANE_UI_WINDOW_TEXTS_H_
