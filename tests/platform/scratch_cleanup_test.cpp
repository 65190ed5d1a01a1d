// The tests' scratch clean-up runs as root in CI: it must never change a
// file outside the scratch tree that a link inside it names.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace tarn::testing {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(ScratchCleanup, LinksOutOfTheTreeLeaveTheirTargetsAlone) {
  TempDir outside;
  const fs::path target = outside.path() / "target";
  const fs::path target_dir = outside.path() / "target_dir";
  { std::ofstream(target) << "outside bytes"; }
  fs::create_directory(target_dir);
  ASSERT_EQ(::chmod(target.c_str(), 0400), 0);
  ASSERT_EQ(::chmod(target_dir.c_str(), 0500), 0);

  const fs::path scratch = outside.path() / "scratch";
  fs::create_directories(scratch / "locked" / "deeper");
  fs::create_symlink(target, scratch / "file_link");
  fs::create_symlink(target_dir, scratch / "dir_link");
  fs::create_symlink(target, scratch / "locked" / "deeper" / "nested_link");
  { std::ofstream(scratch / "locked" / "deeper" / "plain") << "x"; }
  // A tree its tests left without permissions, as a read-only test does.
  ASSERT_EQ(::chmod((scratch / "locked" / "deeper").c_str(), 0), 0);
  ASSERT_EQ(::chmod((scratch / "locked").c_str(), 0500), 0);

  RemoveScratchTree(scratch);

  EXPECT_FALSE(fs::exists(fs::symlink_status(scratch)));
  EXPECT_EQ(ModeOf(target), 0400u);
  EXPECT_EQ(ModeOf(target_dir), 0500u);
  std::ifstream in(target);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "outside bytes");
  ASSERT_EQ(::chmod(target_dir.c_str(), 0700), 0);
}

}  // namespace
}  // namespace tarn::testing
