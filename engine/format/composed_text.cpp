#include "engine/format/composed_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/format/delta_format.h"

namespace tarn {

namespace {

// Every delta walks all pieces, and each of its records adds two or three;
// copying the text out starts the list again from one piece. Letting the
// list grow to one piece per this many bytes of text balances the two: with
// a few records per delta the text is copied out every few dozen deltas.
constexpr std::size_t kBytesPerPiece = 256;
// Below this many pieces walking them is cheap whatever the text's length.
constexpr std::size_t kFewPieces = 64;

}  // namespace

ComposedText::ComposedText(ByteBuffer base) : size_(base.size()) {
  if (!base.empty()) pieces_.push_back(Piece{base.data(), base.size()});
  blocks_.push_back(std::move(base));
}

int ComposedText::Apply(ByteBuffer delta) {
  spare_.clear();
  std::size_t produced = 0;
  // Appends a run to the new list, joined to the run before when they are
  // neighbours in the same block (text that a record left untouched).
  const auto emit = [&](const std::uint8_t* bytes, std::size_t length) {
    if (length == 0) return;
    if (!spare_.empty() && spare_.back().bytes + spare_.back().length == bytes) {
      spare_.back().length += length;
    } else {
      spare_.push_back(Piece{bytes, length});
    }
    produced += length;
  };
  // The cursor in the old list: piece `index`, `within` bytes into it; it
  // stands at source position `source`.
  std::size_t index = 0;
  std::size_t within = 0;
  std::size_t source = 0;
  // Moves the cursor `count` bytes on, keeping them in the new list or not.
  // The caller has checked that the old text holds them.
  const auto advance = [&](std::size_t count, bool keep) {
    source += count;
    while (count > 0) {
      const Piece& piece = pieces_[index];
      const std::size_t take = std::min(count, piece.length - within);
      if (keep) emit(piece.bytes + within, take);
      within += take;
      count -= take;
      if (within == piece.length) {
        ++index;
        within = 0;
      }
    }
  };

  DeltaReader reader(delta);
  DeltaRecord record;
  int status;
  while ((status = reader.Next(record)) == 1) {
    const auto position = static_cast<std::size_t>(record.position);
    const auto removed = static_cast<std::size_t>(record.removed);
    if (position < source || position > size_ || removed > size_ - position) return -1;
    advance(position - source, true);
    emit(record.bytes.data(), record.bytes.size());
    advance(removed, false);
  }
  if (status < 0) return -1;
  advance(size_ - source, true);

  pieces_.swap(spare_);
  size_ = produced;
  blocks_.push_back(std::move(delta));  // its data stays where the pieces point
  if (pieces_.size() > kFewPieces && pieces_.size() * kBytesPerPiece > size_) Flatten();
  return 1;
}

void ComposedText::WriteTo(ByteBuffer& text) const {
  ByteBuffer whole(kZeroedByAllocation, size_);
  std::uint8_t* out = whole.data();
  for (const Piece& piece : pieces_) {
    std::memcpy(out, piece.bytes, piece.length);
    out += piece.length;
  }
  text.swap(whole);
}

void ComposedText::Flatten() {
  ByteBuffer whole;
  WriteTo(whole);
  pieces_.clear();
  blocks_.clear();
  if (!whole.empty()) pieces_.push_back(Piece{whole.data(), whole.size()});
  blocks_.push_back(std::move(whole));
}

}  // namespace tarn
