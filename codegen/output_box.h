// Where a generator writes its table text. The window hands over its text
// boxes; tests and benchmarks hand over plain strings.
#ifndef TOLVANE_CODEGEN_OUTPUT_BOX_H_
#define TOLVANE_CODEGEN_OUTPUT_BOX_H_

#include <string>
#include <string_view>

namespace tolvane {

class OutputBox {
 public:
  virtual ~OutputBox() = default;
  // Replaces whatever the box held, typed text included.
  virtual void setText(std::string_view text) = 0;
  virtual void append(std::string_view text) = 0;
};

class StringBox final : public OutputBox {
 public:
  void setText(std::string_view text) override { text_ = text; }
  void append(std::string_view text) override { text_ += text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace tolvane

#endif  // TOLVANE_CODEGEN_OUTPUT_BOX_H_
