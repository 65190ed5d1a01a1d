#include "engine/store/file_copy.h"

#include <algorithm>
#include <limits>
#include <span>

#include "engine/support/guarded_memory.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Large enough that copying the older revisions of a logfile costs few
// system calls, small enough to stay modest beside the texts a command holds.
constexpr std::int64_t kCopyBlockSize = 256 * 1024;

}  // namespace

CopyFailure CopyFileBytes(platform::File& from, std::int64_t offset,
                          std::optional<std::int64_t> end, platform::File& to) {
  if (end && *end == offset) return CopyFailure::kNone;
  if (!from.Seek(offset)) return CopyFailure::kSeek;
  std::int64_t remaining = end ? *end - offset : std::numeric_limits<std::int64_t>::max();
  // The block is no larger than what there is to copy: a check-in of a
  // small file then neither fills nor clears a quarter megabyte it never
  // uses. (At least one byte: the loop reads on until the end of the file.)
  const std::optional<std::int64_t> size = from.Size();
  const std::int64_t available = size && *size > offset ? *size - offset : 0;
  ByteBuffer block(kZeroedByAllocation,
                   static_cast<std::size_t>(std::min({remaining, available, kCopyBlockSize}) + 1));
  while (remaining > 0) {
    const auto wanted =
        static_cast<std::size_t>(std::min(remaining, static_cast<std::int64_t>(block.size())));
    const std::ptrdiff_t got = from.Read(std::span(block.data(), wanted));
    if (got < 0 || (got == 0 && end)) return CopyFailure::kRead;
    if (got == 0) break;  // the end of `from`
    if (!to.WriteAll(std::span<const std::uint8_t>(block.data(), static_cast<std::size_t>(got)))) {
      return CopyFailure::kWrite;
    }
    remaining -= got;
  }
  return CopyFailure::kNone;
}

int CopyFileBytesOrReport(platform::File& from, std::int64_t offset,
                          std::optional<std::int64_t> end, platform::File& to) {
  switch (CopyFileBytes(from, offset, end, to)) {
    case CopyFailure::kNone:
      return 1;
    case CopyFailure::kSeek:
      ReportFault(msg::kSeekFailed);
      break;
    case CopyFailure::kRead:
      ReportFault(msg::kReadFailed);
      break;
    case CopyFailure::kWrite:
      ReportWriteFailure();
      break;
  }
  return -1;
}

}  // namespace tarn
