// Expansion of arbitrary blocks: must never read or write outside its
// buffers; when it accepts a block, the result has exactly the length the
// header claims. Blocks that came from the coder must come back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/format/compression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarn::ByteBuffer block(data, data + size);
  const auto header = tarn::DecodeCompressHeader(block);
  if (tarn::Expand(block) == 1) {
    if (!header || block.size() != header->beforeCompressionSize) std::abort();
  }

  // The same bytes as raw data: compress, expand, compare.
  tarn::ByteBuffer raw(data, data + size);
  if (tarn::Compress(raw) == 1) {
    if (raw.size() >= size) std::abort();
    if (tarn::Expand(raw) != 1 || raw.size() != size || !std::equal(raw.begin(), raw.end(), data)) {
      std::abort();
    }
  }
  return 0;
}
