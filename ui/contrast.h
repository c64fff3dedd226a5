// The WCAG 2 contrast of two opaque colours, free of Qt: the desktop window
// judges its register labels' text by it, and the browser page is written
// with it.
#ifndef TOLVANE_UI_CONTRAST_H_
#define TOLVANE_UI_CONTRAST_H_

#include <algorithm>
#include <cmath>

#include "ui/layout.h"

namespace tolvane {

// The usual floor for text of ordinary size.
inline constexpr double kReadableContrast = 4.5;

inline double relativeLuminance(const layout::Rgb& colour) {
  const auto linear = [](int channel) {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
         0.0722 * linear(colour.blue);
}

// 1 (none) to 21 (black on white).
inline double contrastRatio(const layout::Rgb& first, const layout::Rgb& second) {
  const double a = relativeLuminance(first);
  const double b = relativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// Black or white, whichever contrasts more with the background.
inline layout::Rgb blackOrWhiteOn(const layout::Rgb& background) {
  constexpr layout::Rgb kWhite{255, 255, 255};
  return contrastRatio(layout::kBlack, background) >= contrastRatio(kWhite, background)
             ? layout::kBlack
             : kWhite;
}

}  // namespace tolvane

#endif  // TOLVANE_UI_CONTRAST_H_
