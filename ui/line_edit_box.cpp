#include "ui/line_edit_box.h"

#include <QLineEdit>

namespace tolvane {
namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void LineEditBox::setText(std::string_view text) { edit_->setText(fromUtf8(text)); }

void LineEditBox::append(std::string_view text) { edit_->setText(edit_->text() + fromUtf8(text)); }

}  // namespace tolvane
