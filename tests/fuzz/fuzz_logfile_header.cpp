// A logfile header from the fuzz input: read it, write it back, read the copy.
// Whatever the bytes hold, the reader must refuse or accept without reading
// past a buffer or allocating more than a field allows; what it accepts the
// writer must store, and the copy must read back to the same record and
// write to the same bytes again.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "engine/format/logfile_header_io.h"
#include "engine/support/guarded_memory.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "platform/file.h"

namespace {

class SilentHost final : public tarn::Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return tarn::MessageText(18); }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

// A file in memory, reachable by a path so that it opens like a logfile.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(::memfd_create(name, 0)) { Check(fd_ >= 0); }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents and opens a fresh stream on them.
  tarn::platform::File OpenWith(std::span<const std::uint8_t> bytes) {
    Check(::ftruncate(fd_, 0) == 0);
    std::optional<tarn::platform::File> file =
        tarn::platform::File::Open(Path(), tarn::platform::OpenMode::kReadWrite);
    Check(file.has_value());
    Check(file->WriteAll(bytes));
    return std::move(*file);
  }

  tarn::ByteBuffer Contents() {
    std::optional<tarn::platform::File> file =
        tarn::platform::File::Open(Path(), tarn::platform::OpenMode::kRead);
    Check(file.has_value());
    tarn::ByteBuffer bytes(static_cast<std::size_t>(file->Size().value_or(0)));
    Check(file->ReadExact(bytes));
    return bytes;
  }

 private:
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
  int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SilentHost host;
  static MemoryFile input("input");
  static MemoryFile copy("copy");
  static MemoryFile again("again");
  tarn::SetHost(&host);
  const std::size_t live = tarn::MemLiveBlocks();

  tarn::LogfileHeader header;
  {
    tarn::platform::File file = input.OpenWith({data, size});
    const int read = tarn::ReadLogfileHeader(file, header);
    if (read != 1) {
      // Refused: nothing kept, nothing leaked.
      Check(header.accessList.empty() && header.supplementalInfo.empty() && header.labels.empty() &&
            !header.defaultRevision);
      Check(tarn::MemLiveBlocks() == live);
      return 0;
    }
    Check(file.Tell().value_or(-1) <= static_cast<std::int64_t>(size));
  }

  tarn::platform::File copy_file = copy.OpenWith({});
  Check(tarn::WriteLogfileHeader(copy_file, header) == 1);
  Check(copy_file.Tell() == static_cast<std::int64_t>(tarn::EncodedHeaderSize(header)));

  tarn::LogfileHeader reread;
  Check(tarn::ReadLogfileHeader(copy_file, reread) == 1);
  Check(reread == header);

  tarn::platform::File again_file = again.OpenWith({});
  Check(tarn::WriteLogfileHeader(again_file, reread) == 1);
  Check(copy.Contents() == again.Contents());
  return 0;
}
