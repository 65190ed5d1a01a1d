#include "objects/revision_text.h"

namespace tarn {

void RevisionText::Add(int major, int minor) {
  text_ += std::to_string(major);
  text_ += '.';
  if (minor >= 0) {
    text_ += std::to_string(minor);
    text_ += '.';
  }
}

std::string RevisionText::Text() const {
  if (text_.empty()) return text_;
  return text_.substr(0, text_.size() - 1);
}

}  // namespace tarn
