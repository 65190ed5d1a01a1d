// The names an export gives git: ref names from labels and paths, paths in
// the stream, repository paths of workfiles and logfiles, and identities
// from an authors file.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "tools/tarn/authors_file.h"
#include "tools/tarn/export_subcommand.h"
#include "tools/tarn/git_stream.h"

namespace tarn::cli {
namespace {

TEST(ExportNamesTest, RefNamesGitRefusesAreMadeSafe) {
  const std::pair<const char*, const char*> cases[] = {
      {"REL_1_FIXES", "REL_1_FIXES"},
      {"rel 2:x", "rel_2_x"},
      {"a~b^c?d*e[f\\g", "a_b_c_d_e_f_g"},
      {"v1..2", "v1._2"},
      {".hidden", "_hidden"},
      {"x.lock", "x.lock_"},
      {"ends.", "ends._"},
      {"at@{1}", "at__1_"},
      {"tarn-branches/src//f.c/1.2.1", "tarn-branches/src/_/f.c/1.2.1"},
      {"tab\there", "tab_here"},
      {"", "_"},
  };
  for (const auto& [name, safe] : cases) EXPECT_EQ(SafeRefName(name), safe) << name;
}

TEST(ExportNamesTest, StreamPathsAreQuotedOnlyWhereTheFormatAsks) {
  EXPECT_EQ(StreamPath("src/main.c"), "src/main.c");
  EXPECT_EQ(StreamPath("with space.c"), "with space.c");
  EXPECT_EQ(StreamPath("\"quoted"), "\"\\\"quoted\"");
  EXPECT_EQ(StreamPath("line\nend"), "\"line\\nend\"");
  EXPECT_EQ(StreamPath("back\\slash"), "\"back\\\\slash\"");
}

TEST(ExportNamesTest, RepositoryPathsFollowTheArgumentsAndTheNamingRule) {
  EXPECT_EQ(RepositoryPathOfWorkfile("src/main.c"), "src/main.c");
  EXPECT_EQ(RepositoryPathOfWorkfile("./src//main.c"), "src/main.c");
  EXPECT_EQ(RepositoryPathOfWorkfile("../up/main.c"), "up/main.c");
  EXPECT_EQ(RepositoryPathOfWorkfile("/abs/dir/main.c"), "main.c");
  EXPECT_EQ(RepositoryPathOfLogfile("src/TARN/main.d", "TARN"), "src/main.c");
  EXPECT_EQ(RepositoryPathOfLogfile("main.d", "TARN"), "main.c");
  EXPECT_EQ(RepositoryPathOfLogfile("TARN/README.___", "TARN"), "README");
  EXPECT_EQ(RepositoryPathOfLogfile("logs/main.d", "/srv/logs"), "logs/main.c");
  EXPECT_EQ(RepositoryPathOfLogfile("a/b/Makefile.___", ""), "a/b/Makefile");
}

TEST(ExportNamesTest, AuthorsFileLinesMapUsersAndBadLinesAreRefusedWithTheirNumber) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  const std::optional<AuthorsFile> authors = AuthorsFile::Parse(
      "# team\n\nann = Ann Smith <ann@example.org>\r\n  bob=<bob@example.org>  \nlast = L <l@x>",
      "authors");
  ASSERT_TRUE(authors.has_value()) << host.All();
  EXPECT_EQ(authors->Ident("ann"), "Ann Smith <ann@example.org>");
  EXPECT_EQ(authors->Ident("bob"), "<bob@example.org>");
  EXPECT_EQ(authors->Ident("last"), "L <l@x>");
  EXPECT_EQ(authors->Ident("carl"), "carl <carl>");
  EXPECT_EQ(authors->Ident("odd<name>"), "odd_name_ <odd_name_>");

  const std::pair<const char*, const char*> bad[] = {
      {"ann = Ann\n", "authors, line 1: 'ann = Ann'"},
      {"ok = O <o@x>\nann Ann <a@x>\n", "line 2: 'ann Ann <a@x>'"},
      {"\n\n = Nobody <n@x>\n", "line 3"},
      {"ann = A <a@x>\nann = B <b@x>\n", "line 2"},
      {"ann = A <a@x> trailing\n", "line 1"},
      {"ann = A <a<x>\n", "line 1"},
  };
  for (const auto& [text, said] : bad) {
    host.Clear();
    EXPECT_FALSE(AuthorsFile::Parse(text, "authors").has_value()) << text;
    EXPECT_TRUE(host.Saw(said)) << text << ": " << host.All();
  }
}

}  // namespace
}  // namespace tarn::cli
