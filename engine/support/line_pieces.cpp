#include "engine/support/line_pieces.h"

#include <algorithm>

#include "engine/support/whole_file.h"

namespace tarn {

std::optional<LinePieces> LinePieces::Read(const std::string& path, std::size_t bufferSize) {
  ByteBuffer text;
  const WholeFileRead read = ReadWholeFile(path, text);
  if (read == WholeFileRead::kNotOpened) return std::nullopt;
  // A file that opens but cannot be read yields no line, as a line reader
  // that fails at once would.
  if (read != WholeFileRead::kDone) text.clear();
  return LinePieces(std::move(text), bufferSize);
}

bool LinePieces::Next(std::string& piece) {
  if (position_ >= text_.size() || bufferSize_ < 2) return false;
  const auto begin = text_.begin() + static_cast<std::ptrdiff_t>(position_);
  const std::size_t longest = std::min(bufferSize_ - 1, text_.size() - position_);
  const auto limit = begin + static_cast<std::ptrdiff_t>(longest);
  auto end = std::find(begin, limit, std::uint8_t{'\n'});
  if (end != limit) ++end;
  position_ += static_cast<std::size_t>(end - begin);
  piece.assign(begin, std::find(begin, end, std::uint8_t{0}));
  return true;
}

}  // namespace tarn
