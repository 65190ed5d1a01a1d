// tarn log and tarn status against logfiles of known content: the plain
// layout line by line, the JSON form, filters, a damaged logfile among good
// ones, and the status columns with the New mark.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;

class TarnReportsTest : public ::testing::Test {
protected:
  void SetUp() override {
    work_ = root_.File("work");
    fs::create_directories(work_ + "/TARN");
    fs::create_directories(root_.File("temp"));
    setup_.workingDirectory = work_;
    setup_.environment = {
        {"TARNUSER", "alice"},
        {"TARNACCESS", "alice,bob"},
        {"TARNTEMP", root_.File("temp") + "/"},
        {"TARNJOURNALPATH", root_.path().string() + "/"},
        {"TARNRETRY", "2"},
        {"TZ", "UTC"},
    };
    // a.c: 1.0 and 1.1, label rel1 on 1.0, 1.1 locked by bob.
    Write("a.c", "one\n");
    Expect(Tarn({"put", "-text", "first of a", "a.c"}));
    Expect(Tarn({"get", "-lock", "a.c"}));
    Write("a.c", "one\ntwo\n");
    Expect(Tarn({"put", "-text", "second of a", "-yes", "a.c"}));
    Expect(Tarn({"label", "-rev", "1.0", "-v", "rel1", "a.c"}));
    Expect(Tarn({"lock", "a.c"}, "bob"));
    // b.c: one revision, unlocked.
    Write("b.c", "bee\n");
    Expect(Tarn({"put", "-text", "only b", "b.c"}));
  }

  ProgramResult Tarn(const std::vector<std::string> &arguments,
                     const std::string &user = "") {
    ProgramSetup setup = setup_;
    if (!user.empty())
      setup.environment["TARNUSER"] = user;
    return testing::RunBuiltProgram("tarn", arguments, setup);
  }

  static void Expect(const ProgramResult &result) {
    ASSERT_EQ(result.status, 0) << result.err;
  }

  void Write(const std::string &name, const std::string &text) {
    const std::string path = work_ + "/" + name;
    if (fs::exists(path))
      fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    testing::WriteText(path, text);
  }

  static std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      if (end == std::string::npos)
        break;
      start = end + 1;
    }
    return lines;
  }

  static bool HasLine(const std::string &text, const std::string &line) {
    for (const std::string &candidate : Lines(text)) {
      if (candidate == line)
        return true;
    }
    return false;
  }

  testing::TempDir root_;
  std::string work_;
  ProgramSetup setup_;
};

TEST_F(TarnReportsTest, LogShowsHeaderLabelsAndRevisionsInAStableLayout) {
  ProgramResult log = Tarn({"log", "a.c"});
  ASSERT_EQ(log.status, 0) << log.err;
  for (const char *line :
       {"Owner:          alice", "Access list:    alice,bob",
        "Users:          alice,bob", "Locks:          1", "Revisions:      2",
        "Labels:", "  rel1          1.0", "Revision:       1.1",
        "Locked by:      bob", "  second of a", "Revision:       1.0",
        "Created by:     alice", "  first of a"}) {
    EXPECT_TRUE(HasLine(log.out, line)) << line << "\n" << log.out;
  }
  // Newest first: 1.1 is listed before 1.0.
  EXPECT_LT(log.out.find("Revision:       1.1"),
            log.out.find("Revision:       1.0"));
}

TEST_F(TarnReportsTest, LogFiltersHeaderLockedAndRevisions) {
  ProgramResult header = Tarn({"log", "-header", "a.c"});
  ASSERT_EQ(header.status, 0) << header.err;
  EXPECT_EQ(header.out.find("Revision:"), std::string::npos) << header.out;
  EXPECT_TRUE(HasLine(header.out, "  rel1          1.0")) << header.out;

  // Only the locked revisions, one line each; b.c has none and gives none.
  ProgramResult locked = Tarn({"log", "-locked", "a.c", "b.c"});
  ASSERT_EQ(locked.status, 0) << locked.err;
  EXPECT_EQ(locked.out, "a.c: revision 1.1 locked by bob\n");

  ProgramResult one = Tarn({"log", "-rev", "1.0", "a.c"});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_TRUE(HasLine(one.out, "Revision:       1.0")) << one.out;
  EXPECT_FALSE(HasLine(one.out, "Revision:       1.1")) << one.out;

  ProgramResult bad = Tarn({"log", "-rev", "1.x", "a.c"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("'1.x'"), std::string::npos) << bad.err;
}

TEST_F(TarnReportsTest, LogJsonIsOneObjectAFile) {
  ProgramResult json = Tarn({"log", "-json", "a.c", "b.c"});
  ASSERT_EQ(json.status, 0) << json.err;
  const std::vector<std::string> lines = Lines(json.out);
  ASSERT_EQ(lines.size(), 2U) << json.out;
  const std::string &a = lines[0];
  for (const char *fragment :
       {"{\"file\":\"a.c\",", "\"owner\":\"alice\"",
        "\"access\":[\"alice\",\"bob\"]", "\"locks\":1", "\"revision_count\":2",
        "\"labels\":[{\"label\":\"rel1\",\"revision\":\"1.0\"}]",
        "{\"revision\":\"1.1\",\"creator\":\"alice\"", "\"locked_by\":\"bob\"",
        "\"description\":\"second of a\"", "\"locked_by\":null"}) {
    EXPECT_NE(a.find(fragment), std::string::npos) << fragment << "\n" << a;
  }
  EXPECT_NE(lines[1].find("\"description\":\"only b\""), std::string::npos)
      << lines[1];
}

TEST_F(TarnReportsTest, LogReportsADamagedOrMissingLogfileAndGoesOn) {
  testing::WriteText(work_ + "/TARN/c.d", "this is no logfile");
  ProgramResult log = Tarn({"log", "c.c", "missing.c", "b.c"});
  EXPECT_EQ(log.status, 1);
  EXPECT_NE(log.err.find("cannot be read or is damaged"), std::string::npos)
      << log.err;
  EXPECT_NE(log.err.find("missing.c has no logfile"), std::string::npos)
      << log.err;
  EXPECT_TRUE(HasLine(log.out, "  only b")) << log.out;
}

TEST_F(TarnReportsTest, StatusShowsLocksAndWorkfilesNotUnderControl) {
  testing::WriteText(work_ + "/notes.txt", "not under control\n");
  fs::permissions(work_ + "/b.c", fs::perms::owner_write,
                  fs::perm_options::add);
  fs::remove(work_ + "/b.c");
  ProgramResult status = Tarn({"status"});
  ASSERT_EQ(status.status, 0) << status.err;
  const std::vector<std::string> lines = Lines(status.out);
  ASSERT_GE(lines.size(), 5U) << status.out;
  EXPECT_NE(lines[0].find("Filename"), std::string::npos) << status.out;
  EXPECT_NE(lines[0].find("Locked By"), std::string::npos) << status.out;
  // a.c: locked by bob, workfile present and newer.
  EXPECT_EQ(lines[1].rfind("     a.c", 0), 0U) << status.out;
  EXPECT_NE(lines[1].find("bob"), std::string::npos) << status.out;
  // b.c: its workfile is missing, so it carries the mark.
  EXPECT_EQ(lines[2].rfind("New  b.c", 0), 0U) << status.out;
  EXPECT_TRUE(HasLine(status.out, "Not under control:")) << status.out;
  EXPECT_TRUE(HasLine(status.out, "  notes.txt")) << status.out;

  ProgramResult elsewhere = Tarn({"status", work_});
  EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  EXPECT_EQ(elsewhere.out, status.out);

  ProgramResult nowhere = Tarn({"status", root_.File("nowhere")});
  EXPECT_EQ(nowhere.status, 1);
}

} // namespace
} // namespace tarn
