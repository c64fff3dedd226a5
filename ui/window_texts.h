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
