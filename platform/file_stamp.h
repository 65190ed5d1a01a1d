// The size and modification time of an open file, from one call: asked of
// the file that is open, not of a name that another client may have given
// to another file meanwhile.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/file.h"

namespace tarn::platform {

struct FileStamp {
  std::int64_t size = 0;
  std::int64_t modified = 0;  // seconds since 1970 UTC
};

std::optional<FileStamp> StampOf(const File& file);

}  // namespace tarn::platform
