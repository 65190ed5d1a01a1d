#include "engine/store/stream_copy.h"

#include <algorithm>
#include <new>
#include <optional>

#include "engine/support/guarded_memory.h"
#include "engine/support/report.h"

namespace tarn {
namespace {

constexpr std::size_t kCopyBufferSize = 32000;

// The largest buffer up to `wanted` bytes that can be had, halving the
// request on each refusal; empty when not even one byte can.
std::optional<ByteBuffer> CopyBuffer(std::size_t wanted) {
  for (std::size_t size = std::max<std::size_t>(wanted, 1); size > 0; size /= 2) {
    try {
      return ByteBuffer(size);
    } catch (const std::bad_alloc&) {
    }
  }
  return std::nullopt;
}

}  // namespace

int CopyRest(platform::File& from, platform::File& to) {
  std::optional<ByteBuffer> buffer = CopyBuffer(kCopyBufferSize);
  if (!buffer) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  while (true) {
    const std::ptrdiff_t count = from.Read(*buffer);
    if (count == 0) return 1;
    if (count < 0) {
      ReportFault(msg::kReadFailed);
      return -1;
    }
    if (!to.WriteAll(std::span(*buffer).first(static_cast<std::size_t>(count)))) {
      ReportFault(msg::kWriteFailed);
      return -1;
    }
  }
}

int CopyBytes(platform::File& from, platform::File& to, std::int64_t count) {
  if (count <= 0) return 1;
  std::optional<ByteBuffer> buffer =
      CopyBuffer(static_cast<std::size_t>(std::min<std::int64_t>(count, kCopyBufferSize)));
  if (!buffer) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  std::int64_t left = count;
  while (left > 0) {
    const auto chunk = static_cast<std::size_t>(
        std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer->size())));
    const std::span<std::uint8_t> part = std::span(*buffer).first(chunk);
    if (!from.ReadExact(part)) {
      ReportFault(msg::kReadFailed);
      return -1;
    }
    if (!to.WriteAll(part)) {
      ReportFault(msg::kWriteFailed);
      return -1;
    }
    left -= static_cast<std::int64_t>(chunk);
  }
  return 1;
}

}  // namespace tarn
