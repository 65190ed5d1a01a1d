// Applying the edit scripts a ,v file stores for every revision but the
// head: line-based commands against the text of a neighbouring revision.
//
//   dL N   delete N lines, starting at line L
//   aL N   add the N lines that follow the command, after line L
//
// Line numbers count from 1 and refer to the source text as it was before
// the script began; commands stand in increasing line order. A line is
// everything up to and including its newline; a text's last line may lack
// one.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace tarn::rcs {

// The script line (counted from 1) at which a script does not fit its
// source: a command that is malformed, out of order or points past the
// text, or an add whose lines the script does not hold.
struct ScriptFault {
  int line = 0;
};

// The target text made from `source` by `script`, or where it failed.
std::variant<std::string, ScriptFault> ApplyEditScript(std::string_view source,
                                                       std::string_view script);

}  // namespace tarn::rcs
