// A text box of the window as an output box for the generators.
#ifndef TOLVANE_UI_LINE_EDIT_BOX_H_
#define TOLVANE_UI_LINE_EDIT_BOX_H_

#include "codegen/output_box.h"

class QLineEdit;

namespace tolvane {

class LineEditBox final : public OutputBox {
 public:
  LineEditBox() = default;
  explicit LineEditBox(QLineEdit* edit) : edit_(edit) {}

  void setText(std::string_view text) override;
  // Reads the box back first, so the text grows from what it really holds.
  void append(std::string_view text) override;

 private:
  QLineEdit* edit_ = nullptr;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_LINE_EDIT_BOX_H_
