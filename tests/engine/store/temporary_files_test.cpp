#include "engine/store/temporary_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

int NumberOf(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  EXPECT_TRUE(std::regex_match(name, std::regex("TARN[0-9]{4}"))) << name;
  return std::stoi(name.substr(4));
}

TEST(TemporaryFiles, NamesAreFreshAndCreatedEmpty) {
  testing::TempDir dir;
  tarnEnvironVars env;
  env.tempDirectory = dir.path().string() + "/";
  std::set<std::string> names;
  for (int i = 0; i < 5; ++i) {
    const std::optional<std::string> name = MakeTemporaryFile(env);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(std::filesystem::path(*name).parent_path(), dir.path());
    EXPECT_TRUE(std::filesystem::exists(*name));
    EXPECT_EQ(std::filesystem::file_size(*name), 0u);
    names.insert(*name);
  }
  EXPECT_EQ(names.size(), 5u);
}

TEST(TemporaryFiles, TakenNamesAreSkippedAndNeverUsedUp) {
  testing::TempDir dir;
  tarnEnvironVars env;
  env.tempDirectory = dir.path().string();  // the separator is added
  const std::optional<std::string> first = MakeTemporaryFile(env);
  ASSERT_TRUE(first.has_value());
  const int number = NumberOf(*first);
  // Another process took the next name meanwhile.
  char next[16];
  std::snprintf(next, sizeof next, "TARN%04d", (number + 1) % 10000);
  testing::WriteText(dir.File(next), "someone else's");
  const std::optional<std::string> second = MakeTemporaryFile(env);
  ASSERT_TRUE(second.has_value());
  EXPECT_NE(*second, dir.File(next));
  EXPECT_TRUE(std::filesystem::exists(*second));
  EXPECT_EQ(testing::ReadText(dir.File(next)), "someone else's");

  // Killed commands left a file at every numbered name: names still come.
  for (int i = 0; i < 10000; ++i) {
    std::snprintf(next, sizeof next, "TARN%04d", i);
    testing::WriteText(dir.File(next), "left behind");
  }
  const std::optional<std::string> third = MakeTemporaryFile(env);
  ASSERT_TRUE(third.has_value());
  EXPECT_EQ(std::filesystem::path(*third).parent_path(), dir.path());
  EXPECT_EQ(std::filesystem::file_size(*third), 0u);
  EXPECT_EQ(testing::ReadText(dir.File("TARN0000")), "left behind");
}

TEST(TemporaryFiles, AnUnusableDirectoryShowsAtTheCallersOpen) {
  testing::TempDir dir;
  tarnEnvironVars env;
  env.tempDirectory = dir.File("missing") + "/";
  const std::optional<std::string> name = MakeTemporaryFile(env);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(std::filesystem::path(*name).parent_path(), dir.path() / "missing");
  EXPECT_FALSE(std::filesystem::exists(*name));
}

TEST(TemporaryFiles, AScopedFileIsDeletedUnlessKept) {
  testing::TempDir dir;
  tarnEnvironVars env;
  env.tempDirectory = dir.path().string() + "/";
  std::string dropped;
  std::string kept;
  {
    ScopedTemporaryFile first(*MakeTemporaryFile(env));
    ScopedTemporaryFile second(*MakeTemporaryFile(env));
    dropped = first.path();
    kept = second.path();
    second.Keep();
    EXPECT_TRUE(std::filesystem::exists(dropped));
  }
  EXPECT_FALSE(std::filesystem::exists(dropped));
  EXPECT_TRUE(std::filesystem::exists(kept));
}

}  // namespace
}  // namespace tarn
