// Copying between two open files: the rest of one into the other, or an
// exact number of bytes. Used when a logfile is rewritten around a change.
#pragma once

#include <cstdint>

#include "platform/file.h"

namespace tarn {

// Copies everything from `from`'s position to its end onto `to`. 1, or -1
// with 106 (read error), 107 (short write) or 138 (no buffer at all).
int CopyRest(platform::File& from, platform::File& to);

// Copies exactly `count` bytes. 1, or -1 with 106 (end of file or read error
// first), 107 or 138.
int CopyBytes(platform::File& from, platform::File& to, std::int64_t count);

}  // namespace tarn
