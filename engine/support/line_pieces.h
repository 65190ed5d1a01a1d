// The lines of a text file read whole, handed out in the pieces that a C
// line reader with a fixed buffer gives: the message catalogue and the
// usage texts are read this way, their line-length limits included.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/support/guarded_memory.h"

namespace tarn {

class LinePieces {
 public:
  // The file at `path` read whole (whole_file.h); nothing when it cannot be
  // opened, no lines when it cannot be read.
  static std::optional<LinePieces> Read(const std::string& path, std::size_t bufferSize);

  LinePieces(ByteBuffer text, std::size_t bufferSize)
      : text_(std::move(text)), bufferSize_(bufferSize) {}

  // The next piece: through the line end, at most bufferSize - 1 bytes, cut
  // at a NUL byte as a C string is. False at the end of the text.
  bool Next(std::string& piece);

 private:
  ByteBuffer text_;
  std::size_t bufferSize_;
  std::size_t position_ = 0;
};

}  // namespace tarn
