// Copying bytes from one open file to another in blocks: how a rewritten
// logfile takes over the records it does not change, how a backup is made
// where there are no hard links, and how a fetched text reaches its workfile.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/file.h"

namespace tarn {

enum class CopyFailure { kNone, kSeek, kRead, kWrite };

// Copies the bytes of `from` from `offset` up to `end` (none: to the end of
// `from`) onto `to`'s position. An end of `from` before `end` is a read
// failure. On failure errno is as the failing call left it.
CopyFailure CopyFileBytes(platform::File& from, std::int64_t offset,
                          std::optional<std::int64_t> end, platform::File& to);

// The same, with a failure reported as a fault (145 seek, 106 read, 107
// write). 1 or -1.
int CopyFileBytesOrReport(platform::File& from, std::int64_t offset,
                          std::optional<std::int64_t> end, platform::File& to);

}  // namespace tarn
