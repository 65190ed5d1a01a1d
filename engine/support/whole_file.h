// Reading a file whole into memory: the workfile a check-in stores, the
// texts a comparison works on, a fetched text whose keywords are expanded.
// Each caller reports a failure in its own words; errno then tells the
// system's reason (platform::kNotRegularFile for anything but a regular file).
#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include "engine/support/guarded_memory.h"

namespace tarn {

enum class WholeFileRead {
  kDone,
  kNotOpened,   // the file cannot be opened or its size not be learnt
  kTooLarge,    // larger than the caller's limit; nothing was allocated
  kReadFailed,  // a read error, or the file shrank meanwhile
};

// Reads the file at `path` into `contents` as long as it was when opened (a
// file that grows meanwhile is read as far as it was examined), with room
// for `spare` more bytes reserved behind it. An allocation failure throws
// as the buffer's allocator does.
WholeFileRead ReadWholeFile(const std::string& path, ByteBuffer& contents,
                            std::size_t maxSize = std::numeric_limits<std::size_t>::max(),
                            std::size_t spare = 0);

// ReadWholeFile with a failure reported: 407 with the system's reason when
// the file cannot be opened or read, 138 when it is larger than `maxSize`.
// 1 or -1.
int ReadWholeFileOrReport(const std::string& path, ByteBuffer& contents,
                          std::size_t maxSize = std::numeric_limits<std::size_t>::max(),
                          std::size_t spare = 0);

}  // namespace tarn
