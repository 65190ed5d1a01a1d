// Whether bytes are UTF-8 text: what a person can type, read back in a
// message and find again in a journal.
#pragma once

#include <string_view>

namespace tarn {

// True when `text` is well-formed UTF-8: no stray continuation bytes, no
// sequence cut short, no overlong form, no surrogate, nothing above U+10FFFF.
bool IsUtf8Text(std::string_view text);

}  // namespace tarn
