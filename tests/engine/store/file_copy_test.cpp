// Copying byte ranges between open files: exact ranges, to the end, an
// empty range, and a source that ends before the range does.
#include "engine/store/file_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

struct CopyCase {
  const char* name;
  std::int64_t offset;
  std::optional<std::int64_t> end;
  CopyFailure failure;
  const char* copied;
};

TEST(FileCopy, RangesAreCopiedExactly) {
  // Longer than one copy block, so the loop runs more than once.
  std::string source(300 * 1024, 'x');
  source.replace(0, 10, "0123456789");
  const CopyCase cases[] = {
      {"a range inside", 2, 5, CopyFailure::kNone, "234"},
      {"an empty range", 4, 4, CopyFailure::kNone, ""},
      {"a range past the end", 2, 400 * 1024, CopyFailure::kRead, nullptr},
  };
  TempDir dir;
  WriteText(dir.File("source"), source);
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<platform::File> from =
        platform::File::Open(dir.File("source"), platform::OpenMode::kRead);
    std::optional<platform::File> to =
        platform::File::Open(dir.File("copy"), platform::OpenMode::kWriteTruncate);
    ASSERT_TRUE(from && to);
    EXPECT_EQ(CopyFileBytes(*from, c.offset, c.end, *to), c.failure);
    to.reset();
    if (c.copied != nullptr) {
      EXPECT_EQ(ReadText(dir.File("copy")), c.copied);
    }
  }

  std::optional<platform::File> from =
      platform::File::Open(dir.File("source"), platform::OpenMode::kRead);
  std::optional<platform::File> to =
      platform::File::Open(dir.File("copy"), platform::OpenMode::kWriteTruncate);
  ASSERT_TRUE(from && to);
  EXPECT_EQ(CopyFileBytes(*from, 7, std::nullopt, *to), CopyFailure::kNone);
  to.reset();
  EXPECT_EQ(ReadText(dir.File("copy")), source.substr(7));
}

TEST(FileCopy, AFailureIsReportedOnce) {
  testing::LoadCatalogue();
  TempDir dir;
  WriteText(dir.File("source"), "abc");
  std::optional<platform::File> from =
      platform::File::Open(dir.File("source"), platform::OpenMode::kRead);
  std::optional<platform::File> to =
      platform::File::Open(dir.File("copy"), platform::OpenMode::kWriteTruncate);
  ASSERT_TRUE(from && to);
  testing::RecordingHost host;
  EXPECT_EQ(CopyFileBytesOrReport(*from, 0, 10, *to), -1);
  EXPECT_EQ(host.messages().size(), 1u) << host.All();
  EXPECT_TRUE(host.Saw("file_copy")) << host.All();
}

}  // namespace
}  // namespace tarn
