// Which ,v files an argument names and which workfile each belongs to.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "import/rcs_import.h"
#include "tests/support/test_support.h"

namespace tarn::rcs {
namespace {

namespace fs = std::filesystem;

TEST(RcsFiles, TheWorkfileLiesBesideTheRcsDirectory) {
  const std::pair<const char*, const char*> cases[] = {
      {"f.c,v", "f.c"},
      {"RCS/f.c,v", "f.c"},
      {"src/RCS/f.c,v", "src/f.c"},
      {"src/f.c,v", "src/f.c"},
      {"/repo/module/Attic/f.c,v", "/repo/module/f.c"},  // removed in CVS: beside the others
      {"Attic/f.c,v", "f.c"},
      {"a/RCSX/f,v", "a/RCSX/f"},
      {"/RCS/notes,v", "/notes"},
  };
  for (const auto& [path, workfile] : cases) EXPECT_EQ(WorkfileOfRcsFile(path), workfile) << path;
}

TEST(RcsFiles, ADirectoryNamesEveryRcsFileBelowItSorted) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  const testing::TempDir dir;
  fs::create_directories(dir.File("b/RCS"));
  fs::create_directories(dir.File("a/deep/er"));
  fs::create_directories(dir.File("empty"));
  for (const char* name : {"b/RCS/x.c,v", "a/deep/er/y,v", "top,v", "a/z.c", "a/,v", "b/w.v"}) {
    testing::WriteText(dir.File(name), "");
  }
  fs::create_directories(dir.File("dir,v"));
  fs::create_symlink(dir.File("a"), dir.File("b/loop"));
  const std::string base = dir.path().string();
  EXPECT_EQ(RcsFilesNamedBy(base),
            (std::optional<std::vector<std::string>>{
                {base + "/a/deep/er/y,v", base + "/b/RCS/x.c,v", base + "/top,v"}}));
  EXPECT_EQ(RcsFilesNamedBy(dir.File("top,v")),
            (std::optional<std::vector<std::string>>{{dir.File("top,v")}}));
  EXPECT_EQ(RcsFilesNamedBy(dir.File("empty")), std::nullopt);
  EXPECT_TRUE(host.Saw("holds no ,v file")) << host.All();
  EXPECT_EQ(RcsFilesNamedBy(dir.File("a/z.c")), std::nullopt);
  EXPECT_EQ(RcsFilesNamedBy(dir.File("missing,v")), std::nullopt);
  EXPECT_TRUE(host.Saw("is neither a ,v file nor a directory")) << host.All();
}

}  // namespace
}  // namespace tarn::rcs
