// A revision text built up from a whole text and the deltas applied to it,
// without copying the text once per delta.
//
// Reaching an old revision means applying hundreds of deltas, each of which
// changes a few lines of a text of tens of kilobytes. Copying the whole text
// for every delta makes a get cost (number of deltas) x (text length). Here
// the text is a list of pieces, each a run of bytes in the base text or in
// the inserted bytes of a delta; applying a delta rewrites only the list
// (one pass over the pieces and the delta's records), and the bytes are
// copied once, when the finished text is asked for. The base text and every
// delta a piece points into are kept here until then.
//
// When the pieces grow so many that walking them costs about as much as
// copying the text (many small edits scattered over the text), the text is
// written out once and the list starts again from that copy, so a long path
// never costs more than plain copying would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/support/guarded_memory.h"
#include "engine/support/guarded_vector.h"

namespace tarn {

class ComposedText {
 public:
  // Starts as the whole of `base`, which it takes over.
  explicit ComposedText(ByteBuffer base);

  // Applies `delta` (records in increasing source
  // order, see ApplyDelta) to the text, taking the delta over. 1 on success;
  // -1 when the delta is malformed or does not fit the text, which then
  // stays as it was. Throws std::bad_alloc when memory runs out.
  int Apply(ByteBuffer delta);

  std::size_t size() const { return size_; }

  // Writes the text into `text` (replacing what it held).
  void WriteTo(ByteBuffer& text) const;

 private:
  struct Piece {
    const std::uint8_t* bytes;
    std::size_t length;
  };

  // Replaces the pieces by one copy of the whole text and lets go of the
  // blocks they pointed into.
  void Flatten();

  GuardedVector<ByteBuffer> blocks_;  // the base text and the kept deltas
  GuardedVector<Piece> pieces_;
  GuardedVector<Piece> spare_;  // the next list is built here, then swapped in
  std::size_t size_ = 0;
};

}  // namespace tarn
