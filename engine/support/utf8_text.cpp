#include "engine/support/utf8_text.h"

#include <cstddef>

namespace tarn {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence that `lead` starts, and the range its second
// byte must lie in (which rules out overlong forms, surrogates and code
// points above U+10FFFF); 0 for a byte that starts none.
struct Lead {
  std::size_t length;
  unsigned char second_low;
  unsigned char second_high;
};

Lead LeadOf(unsigned char lead) {
  if (lead < 0x80) return {1, 0, 0};
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

bool IsUtf8Text(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const Lead lead = LeadOf(static_cast<unsigned char>(text[i]));
    if (lead.length == 0 || text.size() - i < lead.length) return false;
    if (lead.length > 1) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      if (second < lead.second_low || second > lead.second_high) return false;
      for (std::size_t k = 2; k < lead.length; ++k) {
        if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) return false;
      }
    }
    i += lead.length;
  }
  return true;
}

}  // namespace tarn
