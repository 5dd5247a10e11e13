#include "app/session.hpp"

#include <cctype>

namespace dodavev {

namespace {

// "#" followed directly by a decimal code: an input/output error.
bool IsIoError(std::string_view text) {
  return text.size() >= 2 && text[0] == '#' &&
         std::isdigit(static_cast<unsigned char>(text[1])) != 0;
}

}  // namespace

void SessionMessages::Show(std::string_view text) {
  if (place_.empty() || !IsIoError(text)) {
    target_->Show(text);
    return;
  }
  std::string placed(text);
  placed += " ";
  placed += place_;
  target_->Show(placed);
}

}  // namespace dodavev
