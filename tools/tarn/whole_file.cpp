#include "tools/tarn/whole_file.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "engine/support/report.h"
#include "platform/file.h"

namespace tarn::cli {

namespace {

std::nullopt_t Unreadable(const std::string& path) {
  Report(kAlert, msg::kFileUnreadable, std::string_view(path),
         std::string_view(std::strerror(errno)));
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kRead);
  if (!file) return Unreadable(path);
  std::vector<std::uint8_t> bytes;
  std::uint8_t block[65536];
  while (true) {
    const std::ptrdiff_t count = file->Read(block);
    if (count < 0) return Unreadable(path);
    if (count == 0) break;
    bytes.insert(bytes.end(), block, block + count);
  }
  return bytes;
}

}  // namespace tarn::cli
