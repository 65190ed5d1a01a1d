// A text held for line comparison: the whole file in memory, with its last
// line completed by a separator when the file lacks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/support/guarded_memory.h"

namespace tarn {

// Texts compared line by line must stay addressable by the signed 32-bit
// positions and lengths of delta records, the completing separator included.
inline constexpr std::size_t kMaxComparedSize = 0x7FFFFFFE;

struct ComparedText {
  ByteBuffer bytes;  // the text, plus one separator when it was missing
  std::size_t size_as_read = 0;
  bool missing_separator = false;
};

// Appends the separator to a non-empty text whose last byte is not the
// separator and records that it did. An empty text stays empty.
void CompleteLastLine(ComparedText& text, std::uint8_t separator);

// A compared text holding a copy of `bytes`, its last line completed.
ComparedText MakeComparedText(std::span<const std::uint8_t> bytes, std::uint8_t separator);

}  // namespace tarn
