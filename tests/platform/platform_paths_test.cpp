#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/paths.h"
#include "tests/support/test_support.h"

namespace tarn::platform {
namespace {

// Changes the current directory for one test and goes back afterwards.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& directory)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~ScopedCurrentDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

TEST(PlatformPaths, FullPathNameNormalisesAbsolutePaths) {
  EXPECT_EQ(FullPathName("/a/b/../c/./d/"), "/a/c/d");
  EXPECT_EQ(FullPathName("//a///b//"), "/a/b");
  EXPECT_EQ(FullPathName("/a/b/c/../../x"), "/a/x");
  EXPECT_EQ(FullPathName("/"), "/");
  EXPECT_EQ(FullPathName("/.."), "/");
  EXPECT_EQ(FullPathName("/a/../.."), "/");
  EXPECT_EQ(FullPathName("/../a"), "/a");
  // Names that only look like "." or ".." are ordinary components.
  EXPECT_EQ(FullPathName("/a/.../.b/..c"), "/a/.../.b/..c");
  // The spelling given is kept: this file system tells Logs from logs.
  EXPECT_EQ(FullPathName("/Logs/Main.D"), "/Logs/Main.D");
  EXPECT_EQ(FullPathName(""), "");
}

TEST(PlatformPaths, FullPathNameResolvesRelativePathsAgainstTheCurrentDirectory) {
  const testing::TempDir scratch;
  const std::string base = std::filesystem::canonical(scratch.path()).string();
  const ScopedCurrentDirectory here(base);
  EXPECT_EQ(CurrentDirectory(), base);
  EXPECT_EQ(FullPathName("x/y.c"), base + "/x/y.c");
  EXPECT_EQ(FullPathName("./x/../y.c"), base + "/y.c");
  EXPECT_EQ(FullPathName("."), base);
  EXPECT_EQ(FullPathName(".."), DirectoryPart(base).substr(0, DirectoryPart(base).size() - 1));
}

TEST(PlatformPaths, RemovedCurrentDirectoryGivesNoFullPathForRelativeNames) {
  const testing::TempDir scratch;
  const std::filesystem::path doomed = scratch.path() / "doomed";
  std::filesystem::create_directory(doomed);
  const ScopedCurrentDirectory here(doomed);
  ASSERT_EQ(::rmdir(doomed.c_str()), 0);
  EXPECT_EQ(CurrentDirectory(), "");
  // Never a path relative to some other directory.
  EXPECT_EQ(FullPathName("file.c"), "");
  EXPECT_EQ(FullPathName("/abs/file.c"), "/abs/file.c");
}

TEST(PlatformPaths, SplitsAtTheLastSeparator) {
  EXPECT_EQ(DirectoryPart("/logs/main.d"), "/logs/");
  EXPECT_EQ(FinalComponent("/logs/main.d"), "main.d");
  EXPECT_EQ(DirectoryPart("main.d"), "");
  EXPECT_EQ(FinalComponent("main.d"), "main.d");
  EXPECT_EQ(DirectoryPart("/main.d"), "/");
  EXPECT_EQ(FinalComponent("/main.d"), "main.d");
  EXPECT_EQ(DirectoryPart("logs/"), "logs/");
  EXPECT_EQ(FinalComponent("logs/"), "");
  EXPECT_EQ(DirectoryPart(""), "");
  EXPECT_EQ(FinalComponent(""), "");
  // The two parts always put the path back together.
  for (const std::string path : {"/a/b/c", "a/b", "c", "/", "a//b"}) {
    EXPECT_EQ(DirectoryPart(path) + FinalComponent(path), path);
  }
}

TEST(PlatformPaths, TrailingSeparatorIsAddedOnce) {
  EXPECT_EQ(WithTrailingSeparator("/logs"), "/logs/");
  EXPECT_EQ(WithTrailingSeparator("/logs/"), "/logs/");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
  EXPECT_EQ(WithTrailingSeparator("logs"), "logs/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(kPathSeparator, '/');
}

}  // namespace
}  // namespace tarn::platform
