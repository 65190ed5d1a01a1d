// tarn export against git itself: histories made by ci are imported,
// exported and read by git fast-import; git fsck --strict finds nothing,
// every revision's text in git is what co -ko -p and tarn get give, in a
// commit with its author, date and description; check-ins that belong
// together are one commit; branches, labels, binary files, an authors
// file, determinism, a damaged logfile and a malformed authors file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/store/disk_names.h"
#include "tests/support/rcs_workbench.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::RcsWorkbench;

// One revision as made by ci.
struct Made {
  std::string file;
  std::string number;
  std::string author;
  std::string date;  // UTC
  std::string log;
  std::string from = "";  // for a branch revision: the revision it follows
  std::string to = "";    // and its branch
};

const std::vector<Made> kHistory = {
    {"f.c", "1.1", "ann", "2020-01-01 10:00:00", "start"},
    {"g.c", "1.1", "ann", "2020-01-01 10:01:00", "start"},
    {"f.c", "1.2", "bob", "2020-02-01 10:00:00", "fix"},
    {"f.c", "1.2.1.1", "carl", "2020-02-15 10:00:00", "on branch", "1.2", "1.2.1"},
    {"g.c", "1.1.1.1", "carl", "2020-02-15 10:01:00", "on branch", "1.1", "1.1.1"},
    {"f.c", "1.2.1.2", "carl", "2020-02-20 10:00:00", "branch again", "1.2.1", "1.2.1"},
    {"img.bin", "1.1", "dave", "2020-02-21 10:00:00", "image"},
    {"f.c", "1.3", "ann", "2020-03-01 10:00:00", "both"},
    {"g.c", "1.2", "ann", "2020-03-01 10:02:00", "both"},
    {"img.bin", "1.2", "dave", "2020-03-02 10:00:00", "image two"},
    {"h.c", "1.1", "eve", "2020-04-01 10:00:00", "h"},
    {"h.c", "1.1.1.1", "eve", "2020-04-02 10:00:00", "h branch", "1.1", "1.1.1"},
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::stringstream stream(text);
  std::string piece;
  while (std::getline(stream, piece, separator)) {
    if (!piece.empty()) pieces.push_back(piece);
  }
  return pieces;
}

class GitExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RcsWorkbench::Installed("ci") || !RcsWorkbench::Installed("git")) {
      GTEST_SKIP() << "the rcs and git packages are needed";
    }
    bench_.setup().environment["GIT_CONFIG_NOSYSTEM"] = "1";
    for (const Made& made : kHistory) {
      if (made.file == "img.bin" && made.number == "1.1") {
        // A binary file is one from its start.
        bench_.Write("img.bin", TextOf(made));
        bench_.Run("rcs", {"-q", "-i", "-kb", "-t-image", "img.bin"});
        bench_.Run("ci", {"-q", "-m" + made.log, "-w" + made.author, "-d" + made.date, "img.bin"});
        continue;
      }
      bench_.CheckIn(made.file, TextOf(made), made.author, made.date, made.log, made.from, made.to);
    }
    bench_.Run("rcs", {"-q", "-nREL1:1.2", "-nBR:1.2.1", "RCS/f.c,v"});
    bench_.Run("rcs", {"-q", "-nREL1:1.1", "-nBR:1.1.1", "RCS/g.c,v"});
    bench_.Run("rcs", {"-q", "-nREL1:1.2", "RCS/img.bin,v"});
    const ProgramResult imported = bench_.Tarn({"import", "RCS"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    // A label git cannot take as a name.
    const ProgramResult labelled = bench_.Tarn({"label", "-rev", "1.3", "-v", "'rel 2:x'", "f.c"});
    ASSERT_EQ(labelled.status, 0) << labelled.err;
  }

  // Each revision's text tells which it is; the image has NUL bytes.
  static std::string TextOf(const Made& made) {
    if (made.file == "img.bin") return std::string("\0\x01@\n\xff", 5) + made.number + '\0';
    return "file " + made.file + "\nrevision " + made.number + "\n$Id$\nby " + made.author + "\n";
  }

  std::string Repository(const std::string& stream, const std::string& name = "repo") {
    const std::string repository = bench_.Scratch(name);
    bench_.Run("git", {"init", "-q", repository});
    testing::ProgramSetup setup = bench_.setup();
    setup.programDirectory = "/usr/bin";
    setup.input = stream;
    setup.workingDirectory = repository;
    const ProgramResult imported = testing::RunBuiltProgram("git", {"fast-import", "--quiet"}, setup);
    EXPECT_EQ(imported.status, 0) << imported.err;
    return repository;
  }

  std::string Git(const std::string& repository, const std::vector<std::string>& arguments) {
    return bench_.Run("git", arguments, repository).out;
  }

  std::string Co(const std::string& file, const std::string& number) {
    return bench_.Run("co", {"-q", "-ko", "-p", "-r" + number, "RCS/" + file + ",v"}).out;
  }

  RcsWorkbench bench_;
};

TEST_F(GitExportTest, EveryRevisionComesBackInGitAsCoAndGetGiveIt) {
  const ProgramResult exported = bench_.Tarn({"export", "TARN"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string repository = Repository(exported.out);
  const ProgramResult fsck = bench_.RunUnchecked("git", {"fsck", "--strict"}, repository);
  EXPECT_EQ(fsck.status, 0) << fsck.out << fsck.err;

  // Every change of every commit, with the commit's date, author and subject.
  struct Change {
    long when;
    std::string author;
    std::string subject;
    std::string path;
    std::string text;
  };
  std::vector<Change> changes;
  for (const std::string& commit : Split(Git(repository, {"rev-list", "--all"}), '\n')) {
    std::string shown = Git(repository, {"show", "-s", "--format=%at%x09%an%x09%s", commit});
    if (!shown.empty() && shown.back() == '\n') shown.pop_back();
    const std::vector<std::string> header = Split(shown, '\t');
    ASSERT_EQ(header.size(), 3U) << commit;
    for (const std::string& path :
         Split(Git(repository, {"diff-tree", "-r", "--root", "--no-commit-id", "--name-only",
                               "--diff-filter=AM", commit}),
               '\n')) {
      changes.push_back(Change{std::stol(header[0]), header[1], header[2], path,
                               Git(repository, {"show", commit + ":" + path})});
    }
  }
  for (const Made& made : kHistory) {
    const std::string co = Co(made.file, made.number);
    ASSERT_EQ(co, TextOf(made)) << made.file << " " << made.number;
    const ProgramResult get = bench_.Tarn(
        {"get", "-stdout", "-rev", made.number, "-set", "ExpandKeywords=no", made.file});
    EXPECT_EQ(get.out, co) << made.file << " " << made.number;
    bool found = false;
    for (const Change& change : changes) {
      found = found || (change.path == made.file && change.text == co && change.author == made.author &&
                        change.subject == made.log);
    }
    EXPECT_TRUE(found) << made.file << " " << made.number << " is not in git";
  }
  // Nothing in git that is not one of the revisions (label commits aside).
  for (const Change& change : changes) {
    if (change.subject.starts_with("Label ")) continue;
    bool known = false;
    for (const Made& made : kHistory) known = known || (made.file == change.path && TextOf(made) == change.text);
    EXPECT_TRUE(known) << change.path << " in '" << change.subject << "'";
  }
}

TEST_F(GitExportTest, CheckInsThatBelongTogetherAreOneCommitOnTheirBranch) {
  const ProgramResult exported = bench_.Tarn({"export", "-trunk", "trunk", "TARN"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string repository = Repository(exported.out);
  // f.c and g.c "start" and "both" are one commit each: 6 on the trunk.
  EXPECT_EQ(Git(repository, {"log", "--format=%s|%an|%at", "trunk"}),
            "h|eve|1585735200\nimage two|dave|1583143200\nboth|ann|1583056920\n"
            "image|dave|1582279200\nfix|bob|1580551200\nstart|ann|1577872860\n");
  EXPECT_EQ(Git(repository, {"ls-tree", "-r", "--name-only", "trunk"}), "f.c\ng.c\nh.c\nimg.bin\n");
  // The branch BR of both files is one git branch; it starts at f.c 1.2.
  EXPECT_EQ(Git(repository, {"log", "--format=%s", "BR"}), "branch again\non branch\nfix\nstart\n");
  EXPECT_EQ(Git(repository, {"show", "BR:f.c"}), Co("f.c", "1.2.1.2"));
  EXPECT_EQ(Git(repository, {"show", "BR:g.c"}), Co("g.c", "1.1.1.1"));
  EXPECT_EQ(Git(repository, {"show", "BR~2:g.c"}), Co("g.c", "1.1"));
  EXPECT_EQ(Git(repository, {"show", "tarn-branches/h.c/1.1.1:h.c"}), Co("h.c", "1.1.1.1"));
  // Each label: exactly the labelled revisions of the files carrying it.
  EXPECT_EQ(Git(repository, {"ls-tree", "-r", "--name-only", "REL1"}), "f.c\ng.c\nimg.bin\n");
  EXPECT_EQ(Git(repository, {"show", "REL1:f.c"}), Co("f.c", "1.2"));
  EXPECT_EQ(Git(repository, {"show", "REL1:g.c"}), Co("g.c", "1.1"));
  EXPECT_EQ(Git(repository, {"show", "REL1:img.bin"}), Co("img.bin", "1.2"));
  EXPECT_EQ(Git(repository, {"ls-tree", "-r", "--name-only", "rel_2_x"}), "f.c\n");
  EXPECT_NE(exported.err.find("the label 'rel 2:x' became 'rel_2_x'"), std::string::npos)
      << exported.err;
}

TEST_F(GitExportTest, TheSameLogfilesGiveTheSameStreamFromWorkfilesOrDirectory) {
  const ProgramResult first = bench_.Tarn({"export", "TARN"});
  const ProgramResult again = bench_.Tarn({"export", "TARN"});
  const ProgramResult files = bench_.Tarn({"export", "img.bin", "h.c", "g.c", "f.c"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, again.out);
  EXPECT_EQ(first.out, files.out);
  const ProgramResult to_file = bench_.Tarn({"export", "-out", bench_.Scratch("stream"), "TARN"});
  ASSERT_EQ(to_file.status, 0) << to_file.err;
  EXPECT_EQ(testing::ReadText(bench_.Scratch("stream")), first.out);
  EXPECT_NE(to_file.out.find("exported 4 files, 12 revisions in 9 commits, 2 branches and 2 tags"),
            std::string::npos)
      << to_file.out;
}

TEST_F(GitExportTest, AnAuthorsFileGivesIdentitiesAndAMalformedOneStopsEverything) {
  testing::WriteText(bench_.Scratch("authors"),
                     "# the team\nann = Ann Smith <ann@example.org>\n\n  bob=Bob <bob@example.org>\n");
  const ProgramResult exported = bench_.Tarn({"export", "-authors", bench_.Scratch("authors"), "f.c"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string repository = Repository(exported.out);
  EXPECT_EQ(Git(repository, {"log", "--format=%an <%ae>|%cn", "main"}),
            "Ann Smith <ann@example.org>|Ann Smith\nBob <bob@example.org>|Bob\n"
            "Ann Smith <ann@example.org>|Ann Smith\n");
  EXPECT_EQ(Git(repository, {"log", "--format=%an <%ae>", "BR"}).substr(0, 12), "carl <carl>\n");

  for (const char* bad : {"ann = Ann Smith\n", "ann Ann <a@b>\n", "= Ann <a@b>\n",
                          "ann = A <a@b>\nann = B <b@c>\n", "ann = A <a<b>\n"}) {
    testing::WriteText(bench_.Scratch("bad"), std::string("# fine\n") + bad);
    const std::string out = bench_.Scratch("never");
    const ProgramResult refused =
        bench_.Tarn({"export", "-authors", bench_.Scratch("bad"), "-out", out, "f.c"});
    EXPECT_EQ(refused.status, 1) << bad;
    EXPECT_EQ(refused.out, "") << bad;
    EXPECT_NE(refused.err.find(", line "), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(out)) << bad;
  }
  const ProgramResult line_two = bench_.Tarn({"export", "-authors", bench_.Scratch("bad"), "f.c"});
  EXPECT_NE(line_two.err.find(", line 2: 'ann = A <a<b>'"), std::string::npos) << line_two.err;
}

TEST_F(GitExportTest, ADamagedLogfileIsNamedLeftOutAndFailsTheExportAfterTheRest) {
  const std::string logfile = bench_.Path("TARN/" + LogfileNameOf("g.c"));
  std::string bytes = testing::ReadText(logfile);
  bytes.resize(bytes.size() - 10);
  fs::permissions(logfile, fs::perms::owner_write, fs::perm_options::add);
  testing::WriteText(logfile, bytes);
  const ProgramResult exported = bench_.Tarn({"export", "TARN"});
  EXPECT_EQ(exported.status, 1);
  EXPECT_NE(exported.err.find("g.c cannot be read whole and is left out"), std::string::npos)
      << exported.err;
  const std::string repository = Repository(exported.out);
  EXPECT_EQ(bench_.RunUnchecked("git", {"fsck", "--strict"}, repository).status, 0);
  EXPECT_EQ(Git(repository, {"ls-tree", "-r", "--name-only", "main"}), "f.c\nh.c\nimg.bin\n");
  EXPECT_EQ(Git(repository, {"show", "main:f.c"}), Co("f.c", "1.3"));
}

TEST_F(GitExportTest, RefusedCommandLinesWriteNothing) {
  for (const std::vector<std::string>& line :
       {std::vector<std::string>{"export"}, {"export", "-window", "-1", "f.c"},
        {"export", "-window", "soon", "f.c"}, {"export", "-trunk"}, {"export", "-bogus", "f.c"},
        {"export", "-out", "a", "-out", "b", "f.c"}}) {
    const ProgramResult refused = bench_.Tarn(line);
    EXPECT_EQ(refused.status, 2) << line.back();
    EXPECT_EQ(refused.out, "") << line.back();
  }
  const ProgramResult missing = bench_.Tarn({"export", "nothere.c"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
}

}  // namespace
}  // namespace tarn
