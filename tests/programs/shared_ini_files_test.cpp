// A configuration directory that team members share, each under a user id of
// their own: one member's change keeps the file usable by the others (its
// group and mode), a file a member cannot read or may not write is never
// replaced, a group the writer cannot give refuses the write, and a link to
// the team's dorn.ini keeps leading to it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "projects/users.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

constexpr unsigned kTeam = 47100;
const ProgramSetup::User kMemberA{47101, kTeam, {}};
const ProgramSetup::User kMemberB{47102, 47102, {kTeam}};
const ProgramSetup::User kOutsider{47103, 47103, {}};

struct Status {
  unsigned mode = 0;
  unsigned uid = 0;
  unsigned gid = 0;
};

Status StatusOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return Status{static_cast<unsigned>(info.st_mode & 07777), static_cast<unsigned>(info.st_uid),
                static_cast<unsigned>(info.st_gid)};
}

class SharedIniFilesTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as several users";
    // The members reach the scratch tree, and the team shares its directory.
    ASSERT_EQ(::chmod(root_.path().c_str(), 0711), 0);
    config_ = root_.File("team");
    fs::create_directory(config_);
    ASSERT_EQ(::chown(config_.c_str(), 0, kTeam), 0);
    ASSERT_EQ(::chmod(config_.c_str(), GetParam() ? 02770 : 0770), 0);
  }

  std::string Ini() const { return config_ + "/dorn.ini"; }

  ProgramResult Tarn(const ProgramSetup::User& user, const std::string& name,
                     const std::vector<std::string>& words, const std::string& config = {},
                     std::optional<std::string> input = std::nullopt) {
    ProgramSetup setup;
    setup.input = std::move(input);
    setup.user = user;
    setup.workingDirectory = root_.path().string();
    setup.environment["TARNCONFIG"] = config.empty() ? config_ : config;
    setup.environment["TARNUSER"] = name;
    setup.environment["HOME"] = root_.path().string();
    return testing::RunBuiltProgramWithin("tarn", words, setup, 20'000'000);
  }

  TempDir root_;
  std::string config_;
};

TEST_P(SharedIniFilesTest, AnotherMembersRewriteLeavesTheFileTheTeams) {
  const ProgramResult made = Tarn(kMemberA, "ann", {"user", "add", "ann"});
  ASSERT_EQ(made.status, 0) << made.err;
  ASSERT_EQ(Tarn(kMemberA, "ann", {"project", "create", "system", "Web", "/srv/web"}).status, 0);
  const Status first = StatusOf(Ini());
  EXPECT_EQ(first.gid, kTeam);
  EXPECT_EQ(first.mode, 0660u);

  const ProgramResult added = Tarn(kMemberB, "bo", {"user", "add", "bo"});
  ASSERT_EQ(added.status, 0) << added.err;
  const Status after = StatusOf(Ini());
  EXPECT_EQ(after.uid, kMemberB.uid);
  EXPECT_EQ(after.gid, kTeam);
  EXPECT_EQ(after.mode, 0660u);

  // A reads and writes it again, and nothing was lost on the way.
  const ProgramResult again = Tarn(kMemberA, "ann", {"user", "add", "cy"});
  ASSERT_EQ(again.status, 0) << again.err;
  const ProgramResult users = Tarn(kMemberA, "ann", {"user", "list"});
  ASSERT_EQ(users.status, 0) << users.err;
  for (const char* user : {"ann", "bo", "cy"}) EXPECT_NE(users.out.find(user), std::string::npos);
  EXPECT_NE(ReadText(Ini()).find("Web="), std::string::npos);
}

TEST_P(SharedIniFilesTest, AFileAMemberCannotReadFailsTheirWriteAndStaysAsItWas) {
  WriteText(Ini(), "[Users]\nann=$argon2id$secret\nbo=\n\n[Projects]\nWeb=/srv/web/\n");
  ASSERT_EQ(::chown(Ini().c_str(), kMemberA.uid, kTeam), 0);
  ASSERT_EQ(::chmod(Ini().c_str(), 0600), 0);
  const std::string before = ReadText(Ini());

  const ProgramResult add = Tarn(kMemberB, "bo", {"user", "add", "cy"});
  EXPECT_EQ(add.status, 1) << add.out;
  EXPECT_NE(add.err.find(Ini()), std::string::npos) << add.err;
  EXPECT_EQ(add.out.find("added"), std::string::npos) << add.out;
  EXPECT_EQ(ReadText(Ini()), before);
  EXPECT_EQ(StatusOf(Ini()).mode, 0600u);

  // Readers say so too, instead of showing an empty list.
  const ProgramResult list = Tarn(kMemberB, "bo", {"user", "list"});
  EXPECT_EQ(list.status, 1);
  EXPECT_NE(list.err.find(Ini()), std::string::npos) << list.err;
  const ProgramResult show = Tarn(kMemberB, "bo", {"project"});
  EXPECT_EQ(show.status, 1);
  EXPECT_NE(show.err.find(Ini()), std::string::npos) << show.err;
}

TEST_P(SharedIniFilesTest, AFileOfAGroupTheWriterIsNotInIsLeftAsItWas) {
  // A directory anyone may write in, and a file anyone may write: only the
  // group stands in the way.
  ASSERT_EQ(::chmod(config_.c_str(), 0777), 0);
  WriteText(Ini(), "[Users]\nann=\n");
  ASSERT_EQ(::chown(Ini().c_str(), kMemberA.uid, kTeam), 0);
  ASSERT_EQ(::chmod(Ini().c_str(), 0666), 0);
  const ProgramResult add = Tarn(kOutsider, "oz", {"user", "add", "oz"});
  EXPECT_EQ(add.status, 1) << add.out;
  EXPECT_NE(add.err.find(std::to_string(kTeam)), std::string::npos) << add.err;
  EXPECT_EQ(ReadText(Ini()), "[Users]\nann=\n");
  EXPECT_EQ(StatusOf(Ini()).gid, kTeam);
  EXPECT_FALSE(fs::exists(config_ + "/!orn.ini"));
}

TEST_P(SharedIniFilesTest, AFileWhoseOwnBitsRefuseTheMemberIsNotReplaced) {
  WriteText(Ini(), "[Users]\nann=\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0644), 0);  // root's, in the team's directory
  const ProgramResult add = Tarn(kMemberB, "bo", {"user", "add", "bo"});
  EXPECT_EQ(add.status, 1) << add.out;
  EXPECT_NE(add.err.find("read-only"), std::string::npos) << add.err;
  EXPECT_EQ(ReadText(Ini()), "[Users]\nann=\n");
  EXPECT_EQ(StatusOf(Ini()).uid, 0u);
}

TEST_P(SharedIniFilesTest, ADirectoryTheMemberCannotWriteIsSaidToBeSo) {
  WriteText(Ini(), "[Users]\nann=\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0666), 0);
  ASSERT_EQ(::chmod(config_.c_str(), GetParam() ? 02755 : 0755), 0);
  const ProgramResult add = Tarn(kMemberB, "bo", {"user", "add", "bo"});
  EXPECT_EQ(add.status, 1) << add.out;
  EXPECT_NE(add.err.find(config_), std::string::npos) << add.err;
  EXPECT_EQ(add.err.find("in use"), std::string::npos) << add.err;
  EXPECT_EQ(ReadText(Ini()), "[Users]\nann=\n");
}

TEST_P(SharedIniFilesTest, ALinkToTheTeamsFileStaysALinkAndTheTeamsFileChanges) {
  WriteText(Ini(), "[Users]\nann=\n");
  ASSERT_EQ(::chown(Ini().c_str(), kMemberA.uid, kTeam), 0);
  ASSERT_EQ(::chmod(Ini().c_str(), 0660), 0);
  const std::string own = root_.File("own");
  fs::create_directory(own);
  ASSERT_EQ(::chown(own.c_str(), kMemberB.uid, kMemberB.gid), 0);
  fs::create_symlink(Ini(), own + "/dorn.ini");

  const ProgramResult add = Tarn(kMemberB, "bo", {"user", "add", "bo"}, own);
  ASSERT_EQ(add.status, 0) << add.err;
  EXPECT_TRUE(fs::is_symlink(own + "/dorn.ini"));
  EXPECT_EQ(ReadText(Ini()), "[Users]\nann=\nbo=\n");
  EXPECT_EQ(StatusOf(Ini()).gid, kTeam);
  EXPECT_EQ(StatusOf(Ini()).mode, 0660u);
  // A, through the team's directory, sees B's change.
  const ProgramResult list = Tarn(kMemberA, "ann", {"user", "list"});
  EXPECT_NE(list.out.find("bo"), std::string::npos) << list.out << list.err;
}

TEST_P(SharedIniFilesTest, AUserWithAPasswordIsDeletedOnlyByWhoeverGivesIt) {
  const std::optional<std::string> hash = HashPassword("Secret");
  ASSERT_TRUE(hash.has_value());
  const std::string text = "[Users]\nann=" + *hash + "\nbo=\n";
  WriteText(Ini(), text);
  ASSERT_EQ(::chown(Ini().c_str(), kMemberA.uid, kTeam), 0);
  ASSERT_EQ(::chmod(Ini().c_str(), 0660), 0);

  const ProgramResult none = Tarn(kMemberB, "bo", {"user", "delete", "ann"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("has a password"), std::string::npos) << none.err;
  const ProgramResult wrong = Tarn(kMemberB, "bo", {"user", "delete", "ann"}, {}, "secret\n");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(ReadText(Ini()), text);

  const ProgramResult right = Tarn(kMemberB, "bo", {"user", "delete", "ann"}, {}, "Secret\n");
  EXPECT_EQ(right.status, 0) << right.err;
  EXPECT_EQ(ReadText(Ini()), "[Users]\nbo=\n");
  // A user without a password yet is anyone's to delete.
  EXPECT_EQ(Tarn(kMemberA, "ann", {"user", "delete", "bo"}).status, 0);
}

INSTANTIATE_TEST_SUITE_P(SetgidOrNot, SharedIniFilesTest, ::testing::Bool(),
                         [](const auto& param_info) {
                           return std::string(param_info.param ? "Setgid" : "PlainGroupWritable");
                         });

}  // namespace
}  // namespace tarn
