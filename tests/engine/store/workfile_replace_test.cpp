// Putting a fetched text into place as the workfile: the old workfile is
// replaced whole or not at all, and nothing of the attempt stays behind.
#include "engine/store/workfile_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::ReadText;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteText;

// Names in `dir` other than `keep`.
std::vector<std::string> OtherEntries(const std::filesystem::path& dir,
                                      const std::vector<std::string>& keep) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (std::find(keep.begin(), keep.end(), name) == keep.end()) names.push_back(name);
  }
  return names;
}

class WorkfileReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    source_ = dir_.File("fetched");
    WriteText(source_, "line one\nline two\n");
  }

  TempDir dir_;
  RecordingHost host_;
  std::string source_;
};

TEST_F(WorkfileReplaceTest, ReplacesAReadOnlyWorkfileWithTimeAndProtection) {
  const std::string workfile = dir_.File("main.c");
  WriteText(workfile, "old contents that are longer than the new ones\n");
  std::filesystem::permissions(workfile, std::filesystem::perms::owner_read);
  ASSERT_EQ(ReplaceWorkfile(source_, workfile, {.timestamp = 1'000'001, .readOnly = true}), 1)
      << host_.All();
  EXPECT_EQ(ReadText(workfile), "line one\nline two\n");
  struct stat info {};
  ASSERT_EQ(::stat(workfile.c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, 1'000'000);  // rounded down to an even second
  EXPECT_EQ(info.st_mode & 0222, 0u);
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_TRUE(OtherEntries(dir_.path(), {"fetched", "main.c"}).empty());
}

TEST_F(WorkfileReplaceTest, CreatesAMissingWorkfileWritable) {
  const std::string workfile = dir_.File("new.c");
  ASSERT_EQ(ReplaceWorkfile(source_, workfile, {.timestamp = 2'000'000}), 1);
  EXPECT_EQ(ReadText(workfile), "line one\nline two\n");
  struct stat info {};
  ASSERT_EQ(::stat(workfile.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IWUSR, 0u);
  EXPECT_EQ(info.st_mtime, 2'000'000);
}

TEST_F(WorkfileReplaceTest, ExecutePermissionFollowsTheReplacedWorkfile) {
  namespace fs = std::filesystem;
  const std::string script = dir_.File("build.sh");
  WriteText(script, "#!/bin/sh\n");
  fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  ASSERT_EQ(ReplaceWorkfile(source_, script, {.timestamp = 2'000'000, .readOnly = true}), 1);
  EXPECT_EQ(ReadText(script), "line one\nline two\n");
  struct stat info {};
  ASSERT_EQ(::stat(script.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0111, 0110u);
  EXPECT_EQ(info.st_mode & 0222, 0u);

  // A plain file stays plain.
  const std::string text = dir_.File("notes.txt");
  WriteText(text, "old\n");
  fs::permissions(text, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(ReplaceWorkfile(source_, text, {.timestamp = 2'000'000}), 1);
  ASSERT_EQ(::stat(text.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0111, 0u);
}

TEST_F(WorkfileReplaceTest, FailuresLeaveTheOldWorkfileAndNoNewFile) {
  // The directory does not exist.
  const std::string nowhere = dir_.File("no/such/dir/main.c");
  EXPECT_EQ(ReplaceWorkfile(source_, nowhere, {}), -1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kWorkfileNotWritten, nowhere,
                                                    std::string_view(std::strerror(ENOENT))));

  // The workfile's name is taken by a directory: the rename is refused.
  host_.Clear();
  std::filesystem::create_directory(dir_.File("taken"));
  WriteText(dir_.File("taken/inside"), "kept");
  EXPECT_EQ(ReplaceWorkfile(source_, dir_.File("taken"), {}), -1);
  EXPECT_EQ(ReadText(dir_.File("taken/inside")), "kept");
  EXPECT_EQ(host_.messages().size(), 1u);

  // The fetched text cannot be read.
  host_.Clear();
  const std::string workfile = dir_.File("main.c");
  WriteText(workfile, "the user's own text\n");
  EXPECT_EQ(ReplaceWorkfile(dir_.File("missing"), workfile, {}), -1);
  EXPECT_EQ(ReadText(workfile), "the user's own text\n");
  EXPECT_EQ(host_.messages().size(), 1u);
  EXPECT_TRUE(OtherEntries(dir_.path(), {"fetched", "main.c", "taken"}).empty());
}

TEST_F(WorkfileReplaceTest, ReplacementNamesStayInTheWorkfilesDirectory) {
  // Files left by killed gets, however many, never use the names up, and
  // are not touched.
  for (unsigned i = 0; i < 10000; ++i) {
    char name[24];
    std::snprintf(name, sizeof name, ".tarn-new-%04u", i);
    WriteText(dir_.File(name), "left behind");
  }
  ASSERT_EQ(ReplaceWorkfile(source_, dir_.File("main.c"), {}), 1) << host_.All();
  EXPECT_EQ(ReadText(dir_.File(".tarn-new-0000")), "left behind");
  EXPECT_EQ(ReadText(dir_.File("main.c")), "line one\nline two\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            10002);
}

// Only a regular file is replaced; a link is followed and stays a link.
TEST_F(WorkfileReplaceTest, LinksAreFollowedAndSpecialFilesRefused) {
  std::filesystem::create_directory(dir_.path() / "real");
  WriteText(dir_.File("real/main.c"), "old\n");
  std::filesystem::create_symlink("real/main.c", dir_.File("link.c"));
  std::filesystem::create_symlink("link.c", dir_.File("link2.c"));  // a chain
  ASSERT_EQ(ReplaceWorkfile(source_, dir_.File("link2.c"), {}), 1) << host_.All();
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("link2.c")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("link.c")));
  EXPECT_EQ(ReadText(dir_.File("real/main.c")), "line one\nline two\n");

  std::filesystem::create_directory(dir_.path() / "folder");
  std::filesystem::create_symlink("loop", dir_.File("loop"));
  for (const char* refused : {"folder", "loop"}) {
    host_.Clear();
    EXPECT_EQ(ReplaceWorkfile(source_, dir_.File(refused), {}), -1) << refused;
    EXPECT_EQ(host_.messages().size(), 1u) << host_.All();
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("folder")));
  EXPECT_TRUE(OtherEntries(dir_.path(), {"fetched", "real", "link.c", "link2.c", "folder", "loop"})
                  .empty());
}

}  // namespace
}  // namespace tarn
