#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tests/support/test_support.h"

namespace tarn::platform {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(PlatformFile, OpeningFailsWithTheReason) {
  const TempDir dir;
  errno = 0;
  EXPECT_FALSE(File::Open(dir.File("missing"), OpenMode::kRead));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(File::Open(dir.File("missing"), OpenMode::kReadWrite));
  WriteText(dir.File("there"), "old");
  errno = 0;
  EXPECT_FALSE(File::Open(dir.File("there"), OpenMode::kCreateExclusive));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadText(dir.File("there")), "old");
}

TEST(PlatformFile, WritesReadsAndSeeks) {
  const TempDir dir;
  const std::string path = dir.File("data");
  {
    std::optional<File> out = File::Open(path, OpenMode::kCreateExclusive);
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->WriteAll(Bytes("0123456789")));
    EXPECT_EQ(out->Tell(), 10);
    EXPECT_TRUE(out->Sync());
    EXPECT_TRUE(out->Close());
    EXPECT_FALSE(out->IsOpen());
  }
  std::optional<File> in = File::Open(path, OpenMode::kReadWrite);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 10);
  std::array<std::uint8_t, 4> four{};
  ASSERT_TRUE(in->Seek(3));
  ASSERT_TRUE(in->ReadExact(four));
  EXPECT_EQ(std::string(four.begin(), four.end()), "3456");
  ASSERT_TRUE(in->SeekRelative(-2));
  EXPECT_EQ(in->Tell(), 5);
  ASSERT_TRUE(in->WriteAll(Bytes("ab")));  // in place
  // Only three bytes are left: a short read is a failure.
  EXPECT_FALSE(in->ReadExact(four));
  EXPECT_EQ(in->Read(four), 0);  // end of file

  EXPECT_FALSE(in->Seek(-1));
  EXPECT_FALSE(in->SeekRelative(-100));
  EXPECT_FALSE(in->SeekRelative(std::numeric_limits<std::int64_t>::min()));
  EXPECT_TRUE(in->Truncate(4));
  EXPECT_EQ(in->Size(), 4);
  in.reset();
  EXPECT_EQ(ReadText(path), "0123");
}

TEST(PlatformFile, TruncateAndAppendModes) {
  const TempDir dir;
  const std::string path = dir.File("journal");
  WriteText(path, "first\n");
  {
    std::optional<File> log = File::Open(path, OpenMode::kAppend);
    ASSERT_TRUE(log);
    ASSERT_TRUE(log->Seek(0));  // appending ignores the position
    ASSERT_TRUE(log->WriteAll(Bytes("second\n")));
  }
  EXPECT_EQ(ReadText(path), "first\nsecond\n");
  {
    std::optional<File> fresh = File::Open(path, OpenMode::kWriteTruncate);
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(fresh->WriteAll(Bytes("new")));
  }
  EXPECT_EQ(ReadText(path), "new");
  std::optional<File> reader = File::Open(path, OpenMode::kRead);
  ASSERT_TRUE(reader);
  EXPECT_FALSE(reader->WriteAll(Bytes("x")));  // opened for reading only
}

TEST(PlatformFile, OwnershipMoves) {
  const TempDir dir;
  WriteText(dir.File("a"), "a");
  std::optional<File> opened = File::Open(dir.File("a"), OpenMode::kRead);
  ASSERT_TRUE(opened);
  const int fd = opened->Descriptor();
  File moved = std::move(*opened);
  EXPECT_FALSE(opened->IsOpen());
  EXPECT_EQ(moved.Descriptor(), fd);
  File assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.Descriptor(), fd);
  EXPECT_FALSE(moved.IsOpen());
}

}  // namespace
}  // namespace tarn::platform

namespace tarn::platform {
namespace {

// Opening never waits on a FIFO or device, and only a regular file opens.
TEST(PlatformFile, OpenRegularRefusesEverythingElseAtOnce) {
  const TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const OpenMode mode : {OpenMode::kRead, OpenMode::kReadWrite, OpenMode::kWriteTruncate,
                              OpenMode::kAppend}) {
    errno = 0;
    EXPECT_FALSE(File::OpenRegular(fifo, mode));
    EXPECT_EQ(errno, kNotRegularFile);
  }
  errno = 0;
  EXPECT_FALSE(File::OpenRegular("/dev/null", OpenMode::kWriteTruncate));
  EXPECT_EQ(errno, kNotRegularFile);
  errno = 0;
  EXPECT_FALSE(File::OpenRegular(dir.path().string(), OpenMode::kRead));
  EXPECT_EQ(errno, EISDIR);

  // A link is followed or refused as asked; the file it names is untouched.
  WriteText(dir.File("real"), "text");
  std::filesystem::create_symlink(dir.File("real"), dir.File("link"));
  errno = 0;
  EXPECT_FALSE(File::OpenRegular(dir.File("link"), OpenMode::kReadWrite, LinkRule::kRefuse));
  EXPECT_EQ(errno, ELOOP);
  std::optional<File> followed = File::OpenRegular(dir.File("link"), OpenMode::kRead);
  ASSERT_TRUE(followed);
  EXPECT_EQ(followed->Size(), 4);
  // Truncation waits until the file is known to be regular, then happens.
  ASSERT_TRUE(File::OpenRegular(dir.File("real"), OpenMode::kWriteTruncate));
  EXPECT_EQ(ReadText(dir.File("real")), "");
}

}  // namespace
}  // namespace tarn::platform
