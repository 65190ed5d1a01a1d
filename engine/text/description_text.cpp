#include "engine/text/description_text.h"

namespace tarn {

namespace {

bool IsOtherWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::string NormaliseDescription(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  std::size_t line_start = 0;                  // offset in `result` of the current line
  std::size_t last_blank = std::string::npos;  // last blank of the current line
  for (const char c : text) {
    if (c == '\n') {
      result += '\n';
      line_start = result.size();
      last_blank = std::string::npos;
      continue;
    }
    result += IsOtherWhiteSpace(c) ? ' ' : c;
    if (result.back() == ' ') last_blank = result.size() - 1;
    if (result.size() - line_start > kDescriptionLineWidth && last_blank != std::string::npos) {
      result[last_blank] = '\n';
      line_start = last_blank + 1;
      last_blank = std::string::npos;  // it was the last blank of the line
    }
  }
  return result;
}

}  // namespace tarn
