// The changed lines between two texts, for showing a comparison to a person
// (the unified listing of `tarn diff`). The search is the one that builds
// deltas, so what a person is shown is what the engine would store.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/diff/edit_script.h"

namespace tarn {

// Line numbers in the changes count from 0 over the whole text. A text's
// last line counts as a line with or without its separator; when only one
// of the two texts ends without one, the two last lines differ (a listing
// has to say so), so they are part of a change.
struct TextLineChanges {
  std::vector<LineChange> changes;  // in increasing line order
};

// 1 the texts differ (the changes are filled in), 0 they are equal byte for
// byte, -1 failure (memory exhausted or a text too large: reported).
int FindLineChanges(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                    std::uint8_t separator, TextLineChanges& result);

}  // namespace tarn
