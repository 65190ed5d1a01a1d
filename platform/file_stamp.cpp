#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace tarn::platform {

std::optional<FileStamp> StampOf(const File& file) {
  struct stat info {};
  if (!file.IsOpen() || ::fstat(file.Descriptor(), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtime)};
}

}  // namespace tarn::platform
