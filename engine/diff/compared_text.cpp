#include "engine/diff/compared_text.h"

namespace tarn {

void CompleteLastLine(ComparedText& text, std::uint8_t separator) {
  text.size_as_read = text.bytes.size();
  text.missing_separator = !text.bytes.empty() && text.bytes.back() != separator;
  if (text.missing_separator) text.bytes.push_back(separator);
}

ComparedText MakeComparedText(std::span<const std::uint8_t> bytes, std::uint8_t separator) {
  ComparedText text;
  text.bytes.reserve(bytes.size() + 1);
  text.bytes.assign(bytes.begin(), bytes.end());
  CompleteLastLine(text, separator);
  return text;
}

}  // namespace tarn
