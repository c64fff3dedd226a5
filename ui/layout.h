// Every position, size and colour of the window, in twips (1/1440 inch)
// and RGB, measured from the top-left of the client area below the menu
// bar. Kept free of Qt; the desktop window converts them in one place, and
// the browser page is written from them.
#ifndef TOLVANE_UI_LAYOUT_H_
#define TOLVANE_UI_LAYOUT_H_

#include "ui/playfield_grid.h"

namespace tolvane::layout {

// One logical pixel at 96 dots per inch; Qt scales logical pixels on
// high-DPI screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int toPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

struct Rgb {
  int red;
  int green;
  int blue;
};

inline constexpr int kClientWidth = 5400;
inline constexpr int kClientHeight = 4884;

// Cells are 255 twips square on a 240-twip pitch, so neighbours share a
// one-pixel edge of background.
inline constexpr int kCellSize = 255;
inline constexpr int kCellPitch = 240;
inline constexpr int kGridTop = 120;

constexpr TwipsRect cellRect(int row, int column) {
  return {kCellPitch * column, kGridTop + kCellPitch * (row - 1), kCellSize, kCellSize};
}

inline constexpr TwipsRect kCreateCodeButton{3480, 2160, 1335, 495};
inline constexpr TwipsRect kClearFieldsButton{3480, 2760, 1335, 375};
inline constexpr TwipsRect kPf0Box{960, 2160, 2415, 495};
inline constexpr TwipsRect kPf1Box{960, 2760, 2415, 495};
inline constexpr TwipsRect kPf2Box{960, 3360, 2415, 495};
inline constexpr TwipsRect kPf0Label{120, 2160, 735, 255};
inline constexpr TwipsRect kPf1Label{120, 2760, 735, 255};
inline constexpr TwipsRect kPf2Label{120, 3360, 735, 255};
inline constexpr TwipsRect kNotice{3480, 3240, 1815, 975};
inline constexpr TwipsRect kInformation{120, 4080, 3255, 615};
// The three output rows, each a register label and its table box, by the
// names of their controls.
struct OutputRow {
  const char* labelName;
  const char* boxName;
  Register reg;
  TwipsRect labelPlace;
  TwipsRect boxPlace;
};

inline constexpr OutputRow kOutputRows[] = {
    {"lbldata0", "text3", Register::kPf0, kPf0Label, kPf0Box},
    {"lbldata1", "play1", Register::kPf1, kPf1Label, kPf1Box},
    {"lbldata2", "play2", Register::kPf2, kPf2Label, kPf2Box},
};

// Keeps the notices' text off the edges of their black boxes.
inline constexpr int kNoticePadding = 30;

inline constexpr Rgb kWindowBackground{0, 0, 64};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kNoticeText = kYellow;
inline constexpr Rgb kNoticeBackground = kBlack;

// Cells and register labels share their register's colour.
constexpr Rgb registerColour(Register reg) {
  switch (reg) {
    case Register::kPf0:
      return kYellow;
    case Register::kPf1:
      return kBlue;
    case Register::kPf2:
      return kRed;
  }
  return kBlack;
}

}  // namespace tolvane::layout

#endif  // TOLVANE_UI_LAYOUT_H_
