// tarn import against histories made by the installed ci: trunk and
// branches, labels, locks, a binary file, keyword lines, an empty revision,
// a text losing its final newline, a log message with @. Every revision is
// compared with what co gives; damaged files leave no logfile behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;

constexpr const char* kRcsPrograms = "/usr/bin";

class ImportProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(std::string(kRcsPrograms) + "/ci"))
      GTEST_SKIP() << "the rcs package is missing";
    work_ = root_.File("work");
    fs::create_directories(work_ + "/RCS");
    fs::create_directories(work_ + "/TARN");
    fs::create_directories(root_.File("temp"));
    setup_.workingDirectory = work_;
    setup_.environment = {
        {"TARNUSER", "imp"},
        {"TARNTEMP", root_.File("temp") + "/"},
        {"TARNJOURNALPATH", root_.path().string() + "/"},
        {"TARNRETRY", "2"},
        {"TZ", "UTC"},
    };
  }

  ProgramResult Tarn(const std::vector<std::string>& arguments) {
    return testing::RunBuiltProgram("tarn", arguments, setup_);
  }

  // Runs ci, co or rcs in the work directory; the test stops when it fails.
  ProgramResult Rcs(const std::string& program, const std::vector<std::string>& arguments) {
    ProgramSetup setup = setup_;
    setup.programDirectory = kRcsPrograms;
    ProgramResult result = testing::RunBuiltProgram(program, arguments, setup);
    EXPECT_EQ(result.status, 0) << program << ": " << result.err;
    return result;
  }

  void Write(const std::string& name, const std::string& text) {
    const std::string path = work_ + "/" + name;
    if (fs::exists(path)) fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    testing::WriteText(path, text);
  }

  // f.c: 1.1 to 1.4 on the trunk (1.3 stored unchanged, 1.4 without its
  // final newline), 1.2.1.1 and 1.2.1.2 on a branch, labels REL1 (1.2) and
  // BR (the branch), 1.4 locked. img.bin: two binary revisions.
  void MakeHistories() {
    Write("f.c", "one\n$Id$\n@at@ and @@\n");
    Rcs("ci",
        {"-q", "-l", "-t-The f file", "-mfirst @ log", "-wann", "-d2020-01-01 10:00:00", "f.c"});
    Write("f.c", ReadWork("f.c") + "two\n");
    Rcs("ci", {"-q", "-l", "-mtwo", "-wbob", "-d2020-02-01 10:00:00", "f.c"});
    Rcs("ci", {"-q", "-l", "-f", "-mnothing changed", "-wann", "-d2020-03-01 10:00:00", "f.c"});
    Write("f.c", "one\nno final newline");
    Rcs("ci", {"-q", "-l", "-mcut", "-wann", "-d2020-04-01 10:00:00", "f.c"});
    Rcs("co", {"-q", "-f", "-l", "-r1.2", "f.c"});
    Write("f.c", "branch text\n");
    Rcs("ci", {"-q", "-r1.2.1", "-mon branch", "-wcarl", "-d2020-05-01 10:00:00", "f.c"});
    Rcs("co", {"-q", "-l", "-r1.2.1", "f.c"});
    Write("f.c", "branch text\nmore\n");
    Rcs("ci", {"-q", "-r1.2.1", "-mbranch 2", "-wcarl", "-d2020-06-01 10:00:00", "f.c"});
    Rcs("rcs", {"-q", "-nREL1:1.2", "-nBR:1.2.1", "f.c"});

    Write("img.bin", std::string("\0\x01\x02@\n\xff\xfe\0\0", 9));
    Rcs("rcs", {"-q", "-i", "-kb", "-t-image", "img.bin"});
    Rcs("ci", {"-q", "-l", "-mimg1", "img.bin"});
    Write("img.bin", std::string("\0\x01\x03@@\n\xff\xfe\0", 9));
    Rcs("ci", {"-q", "-mimg2", "img.bin"});
  }

  // `text` with the first edit script's leading delete command replaced.
  static std::string WithFirstDeleteAt(const std::string& text, const std::string& command) {
    const std::size_t at = text.find("text\n@d") + 6;
    const std::size_t end = text.find('\n', at);
    return text.substr(0, at) + command + text.substr(end);
  }

  std::string ReadWork(const std::string& name) { return testing::ReadText(work_ + "/" + name); }

  // The revision as co gives it with the keywords as stored, and as tarn
  // get gives it without expanding keywords.
  void ExpectSameRevision(const std::string& file, const std::string& number, const char* mode) {
    const ProgramResult co = Rcs("co", {"-q", "-p", mode, "-r" + number, "RCS/" + file + ",v"});
    const ProgramResult get =
        Tarn({"get", "-stdout", "-rev", number, "-set", "ExpandKeywords=no", file});
    ASSERT_EQ(get.status, 0) << file << " " << number << ": " << get.err;
    EXPECT_EQ(get.out, co.out) << file << " " << number;
  }

  std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  testing::TempDir root_;
  std::string work_;
  ProgramSetup setup_;
};

TEST_F(ImportProgramsTest, EveryRevisionOfCiHistoriesComesBackAsCoGivesIt) {
  MakeHistories();
  const ProgramResult imported = Tarn({"import", "RCS"});
  ASSERT_EQ(imported.status, 0) << imported.err << imported.out;
  EXPECT_NE((imported.out + imported.err).find("f.c,v: imported, 6 revisions"), std::string::npos)
      << imported.out << imported.err;
  for (const char* number : {"1.1", "1.2", "1.3", "1.4", "1.2.1.1", "1.2.1.2"}) {
    ExpectSameRevision("f.c", number, "-ko");
  }
  for (const char* number : {"1.1", "1.2"}) ExpectSameRevision("img.bin", number, "-kb");

  const ProgramResult checked = Tarn({"import", "-check", "RCS"});
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_NE((checked.out + checked.err).find("f.c,v: all 6 revisions agree with co"),
            std::string::npos)
      << checked.out << checked.err;

  const ProgramResult log = Tarn({"log", "f.c"});
  ASSERT_EQ(log.status, 0) << log.err;
  for (const char* shown : {"REL1", "BR", "first @ log", "ann", "bob", "carl", "The f file"}) {
    EXPECT_NE(log.out.find(shown), std::string::npos) << shown << "\n" << log.out;
  }
  const ProgramResult binary = Tarn({"log", "-header", "img.bin"});
  EXPECT_NE(binary.out.find("BinaryFile"), std::string::npos) << binary.out;
}

TEST_F(ImportProgramsTest, DamagedFilesAndExistingLogfilesAreRefusedLeavingNothing) {
  MakeHistories();
  const std::string whole = testing::ReadText(work_ + "/RCS/f.c,v");
  fs::create_directories(work_ + "/bad/TARN");
  struct Damage {
    const char* what;
    std::string text;
    const char* message;
  };
  const Damage cases[] = {
      {"cut short", whole.substr(0, whole.size() * 2 / 3), "g.c,v"},
      {"bad @ quoting",
       whole.substr(0, whole.find("first @@ log")) + "first @ log" +
           whole.substr(whole.find("first @@ log") + 12),
       "g.c,v"},
      {"script past the text", WithFirstDeleteAt(whole, "d90 1"), "is damaged in its line"},
  };
  for (const Damage& damage : cases) {
    testing::WriteText(work_ + "/bad/g.c,v", damage.text);
    const ProgramResult result = Tarn({"import", "bad/g.c,v"});
    EXPECT_EQ(result.status, 1) << damage.what;
    EXPECT_NE(result.err.find(damage.message), std::string::npos)
        << damage.what << ": " << result.err;
    EXPECT_TRUE(Entries(work_ + "/bad/TARN").empty()) << damage.what;
    EXPECT_TRUE(Entries(root_.File("temp")).empty()) << damage.what;
  }

  ASSERT_EQ(Tarn({"import", "RCS/f.c,v"}).status, 0);
  const std::string logfile = testing::ReadText(work_ + "/TARN/f.d");
  const ProgramResult again = Tarn({"import", "RCS/f.c,v"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("exists already; nothing imported"), std::string::npos) << again.err;
  EXPECT_EQ(testing::ReadText(work_ + "/TARN/f.d"), logfile);
}

// A dangling symbolic link where the logfile would go is refused as a
// check-in refuses it: the import neither replaces the link nor writes
// through it.
TEST_F(ImportProgramsTest, DanglingLinkAtTheLogfilesNameIsRefused) {
  MakeHistories();
  const std::string target = root_.File("elsewhere.d");
  fs::create_symlink(target, work_ + "/TARN/f.d");
  const ProgramResult result = Tarn({"import", "RCS/f.c,v"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find("symbolic link"), std::string::npos) << result.err;
  EXPECT_TRUE(fs::is_symlink(work_ + "/TARN/f.d"));
  EXPECT_EQ(fs::read_symlink(work_ + "/TARN/f.d"), target);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(Entries(work_ + "/TARN"), std::vector<std::string>{"f.d"});
}

TEST_F(ImportProgramsTest, TheCheckReportsTheFirstDifference) {
  MakeHistories();
  ASSERT_EQ(Tarn({"import", "RCS/f.c,v"}).status, 0);
  // The logfile stays, the ,v file now holds another history.
  fs::copy_file(work_ + "/RCS/img.bin,v", work_ + "/RCS/f.c,v",
                fs::copy_options::overwrite_existing);
  const ProgramResult checked = Tarn({"import", "-check", "RCS/f.c,v"});
  EXPECT_EQ(checked.status, 1);
  EXPECT_NE(checked.err.find("differs from co at byte 0"), std::string::npos) << checked.err;

  const ProgramResult refused = Tarn({"import", "-nonsense", "RCS"});
  EXPECT_EQ(refused.status, 2);
  const ProgramResult not_rcs = Tarn({"import", "f.c"});
  EXPECT_EQ(not_rcs.status, 1);
  EXPECT_NE(not_rcs.err.find("is neither a ,v file nor a directory"), std::string::npos);
}

}  // namespace
}  // namespace tarn
