// Applying an arbitrary delta to an arbitrary source: never reads outside
// either, and an accepted delta never yields more than source + delta bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/format/delta_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes give the source's length; the source comes next and
  // the rest is the delta.
  const std::size_t wanted = static_cast<std::size_t>(data[0] | (data[1] << 8));
  const std::span<const std::uint8_t> rest(data + 2, size - 2);
  const std::size_t source_length = wanted < rest.size() ? wanted : rest.size();
  const auto source = rest.first(source_length);
  const auto delta = rest.subspan(source_length);
  tarn::ByteBuffer target;
  if (tarn::ApplyDelta(source, delta, target) == 1 &&
      target.size() > source.size() + delta.size()) {
    std::abort();
  }
  return 0;
}
