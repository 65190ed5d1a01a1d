#include "engine/support/whole_file.h"

#include <cerrno>
#include <cstdint>
#include <optional>

#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/error_text.h"
#include "platform/file.h"

namespace tarn {

WholeFileRead ReadWholeFile(const std::string& path, ByteBuffer& contents, std::size_t maxSize,
                            std::size_t spare) {
  // Only a regular file is read: a FIFO or a terminal would hang the
  // command, a device would never end.
  std::optional<platform::File> file = platform::File::OpenRegular(path, platform::OpenMode::kRead);
  const std::optional<std::int64_t> size = file ? file->Size() : std::nullopt;
  if (!size || *size < 0) return WholeFileRead::kNotOpened;
  if (static_cast<std::uint64_t>(*size) > maxSize) return WholeFileRead::kTooLarge;
  const auto length = static_cast<std::size_t>(*size);
  if (spare > 0) contents.reserve(length + spare);
  contents.resize(length);
  errno = ENODATA;  // what is left when the file merely ended early
  return file->ReadExact(contents) ? WholeFileRead::kDone : WholeFileRead::kReadFailed;
}

int ReadWholeFileOrReport(const std::string& path, ByteBuffer& contents, std::size_t maxSize,
                          std::size_t spare) {
  switch (ReadWholeFile(path, contents, maxSize, spare)) {
    case WholeFileRead::kDone:
      return 1;
    case WholeFileRead::kTooLarge:
      ReportFault(msg::kOutOfMemory);
      return -1;
    case WholeFileRead::kNotOpened:
    case WholeFileRead::kReadFailed:
      break;
  }
  // A failed system call: the file and the system's reason say it all.
  Report(kAlert, msg::kCannotRead, path, std::string_view(platform::ErrorText(errno)));
  return -1;
}

}  // namespace tarn
