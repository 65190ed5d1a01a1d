// Writing a comparison in the unified format that patch(1) and people read:
// a "---" and a "+++" line naming the two sides, then hunks of changed lines
// with up to three unchanged lines of context around them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/diff/line_changes.h"

namespace tarn::cli {

inline constexpr int kContextLines = 3;

// The listing of the changes from `first` to `second`, lines ending in
// '\n'. A last line without its line end is followed by the line
// "\ No newline at end of file". Empty when there are no changes.
std::string UnifiedDiff(std::string_view first_label, std::span<const std::uint8_t> first,
                        std::string_view second_label, std::span<const std::uint8_t> second,
                        const TextLineChanges& changes, int context = kContextLines);

}  // namespace tarn::cli
