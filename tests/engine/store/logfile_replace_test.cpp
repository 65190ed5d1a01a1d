#include "engine/store/logfile_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::string> DirectoryEntries(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class LogfileReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    logfile_ = dir_.File("main.d");
    testing::WriteText(logfile_, "old logfile");
  }

  testing::TempDir dir_;
  testing::RecordingHost host_;
  std::string logfile_;
};

TEST(ReplacementFileName, FirstCharacterBecomesBangAndAPlusAndTheLocksTagAreAppended) {
  EXPECT_EQ(ReplacementFileName("/logs/main.d"), "/logs/!ain.d+");
  EXPECT_EQ(ReplacementFileName("main.d"), "!ain.d+");
  EXPECT_EQ(ReplacementFileName("/a.b/x.___"), "/a.b/!.___+");
  EXPECT_EQ(ReplacementFileName("/logs/main.d", "0123456789abcdef0123456789abcdef"),
            "/logs/!ain.d+0123456789abcdef");
  EXPECT_EQ(BackupFileName("main.d", BackupName::kUnderscoreInFront, "ffff"), "_main.d@ffff");
}

TEST_F(LogfileReplaceTest, CommitPutsTheNewContentInPlace) {
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
  ASSERT_TRUE(replacement);
  // Without a lock held its name carries a random tag.
  EXPECT_EQ(replacement->path().substr(0, dir_.File("!ain.d+").size()), dir_.File("!ain.d+"));
  EXPECT_EQ(replacement->path().size(), dir_.File("!ain.d+").size() + kLockTagLength);
  ASSERT_TRUE(replacement->file().WriteAll(Bytes("new ")));
  ASSERT_TRUE(replacement->file().WriteAll(Bytes("logfile")));
  // Until the commit the old logfile is untouched.
  EXPECT_EQ(testing::ReadText(logfile_), "old logfile");
  EXPECT_EQ(replacement->Commit(false), 1);
  EXPECT_EQ(testing::ReadText(logfile_), "new logfile");
  EXPECT_EQ(DirectoryEntries(dir_.path()), std::vector<std::string>{"main.d"});
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(LogfileReplaceTest, AbandonedReplacementLeavesTheOldLogfileAndNoFile) {
  {
    std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
    ASSERT_TRUE(replacement);
    ASSERT_TRUE(replacement->file().WriteAll(Bytes("half a new log")));
  }
  EXPECT_EQ(testing::ReadText(logfile_), "old logfile");
  EXPECT_EQ(DirectoryEntries(dir_.path()), std::vector<std::string>{"main.d"});
}

// A file at a replacement's name that this command did not make may belong
// to a command still at work (on another machine): it is never touched.
TEST_F(LogfileReplaceTest, AReplacementFileOfSomebodyElseStays) {
  const std::string untagged = dir_.File("!ain.d+");
  testing::WriteText(untagged, "another command's replacement");
  fs::permissions(untagged, fs::perms::owner_read);
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
  ASSERT_TRUE(replacement);
  EXPECT_NE(replacement->path(), untagged);
  ASSERT_TRUE(replacement->file().WriteAll(Bytes("fresh")));
  ASSERT_EQ(replacement->Commit(false), 1);
  EXPECT_EQ(testing::ReadText(logfile_), "fresh");
  EXPECT_EQ(testing::ReadText(untagged), "another command's replacement");
}

TEST_F(LogfileReplaceTest, MovedReplacementCommitsOnce) {
  std::optional<LogfileReplacement> first = LogfileReplacement::Start(logfile_);
  ASSERT_TRUE(first);
  LogfileReplacement moved(std::move(*first));
  first.reset();  // the moved-from object must not delete the file
  ASSERT_TRUE(moved.file().WriteAll(Bytes("moved")));
  EXPECT_EQ(moved.Commit(false), 1);
  EXPECT_EQ(moved.Commit(false), -1);
  EXPECT_EQ(testing::ReadText(logfile_), "moved");
}

TEST_F(LogfileReplaceTest, FailedRenameLeavesTheOldEntryAndRemovesTheReplacement) {
  // A directory where the logfile should be: rename cannot replace it.
  const std::string blocked = dir_.File("x.d");
  fs::create_directory(blocked);
  testing::WriteText(blocked + "/inside", "kept");
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(blocked);
  ASSERT_TRUE(replacement);
  ASSERT_TRUE(replacement->file().WriteAll(Bytes("new")));
  EXPECT_EQ(replacement->Commit(false), -1);
  EXPECT_TRUE(fs::is_directory(blocked));
  EXPECT_EQ(testing::ReadText(blocked + "/inside"), "kept");
  EXPECT_EQ(DirectoryEntries(dir_.path()), (std::vector<std::string>{"main.d", "x.d"}));
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
}

TEST_F(LogfileReplaceTest, SharedDirectoryGetsAGroupWritableLogfile) {
  fs::permissions(dir_.path(), fs::perms::group_write, fs::perm_options::add);
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
  ASSERT_TRUE(replacement);
  ASSERT_TRUE(replacement->file().WriteAll(Bytes("shared")));
  ASSERT_EQ(replacement->Commit(false), 1);
  const fs::perms perms = fs::status(logfile_).permissions();
  EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(perms & fs::perms::group_write, fs::perms::none);
}

// The new logfile is made with its final mode before it takes the name:
// read-only when protected, the group's bits as the directory shares them,
// readable by all who could read the old one. Nobody changes a logfile's
// mode afterwards.
TEST_F(LogfileReplaceTest, ReplacementHasTheModeTheAttributesAndDirectoryAsk) {
  struct Case {
    const char* what;
    bool sharedDirectory;
    unsigned oldMode;  // 0: no old logfile
    bool protect;
    unsigned expected;
  };
  const std::vector<Case> cases = {
      {"new, private directory", false, 0, false, 0600},
      {"new, protected", false, 0, true, 0400},
      {"new, team directory", true, 0, false, 0660},
      {"team directory, protected", true, 0444, true, 0444},
      {"old one private to its owner", false, 0600, false, 0600},
      {"old one read by the group only", true, 0640, true, 0440},
  };
  // The umask keeps others out of a new logfile; the directory lets the
  // group in, and the old logfile's readers keep reading.
  const ::mode_t old_mask = ::umask(077);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::permissions(dir_.path(), c.sharedDirectory ? fs::perms::owner_all | fs::perms::group_all
                                                   : fs::perms::owner_all);
    fs::remove(logfile_);
    if (c.oldMode != 0) {
      testing::WriteText(logfile_, "old");
      ASSERT_EQ(::chmod(logfile_.c_str(), c.oldMode), 0);
    }
    std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
    ASSERT_TRUE(replacement);
    ASSERT_TRUE(replacement->file().WriteAll(Bytes("new")));
    ASSERT_EQ(replacement->Commit(c.protect), 1);
    struct stat info {};
    ASSERT_EQ(::stat(logfile_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.expected) << std::oct << (info.st_mode & 07777);
    EXPECT_EQ(testing::ReadText(logfile_), "new");
  }
  ::umask(old_mask);
}

TEST_F(LogfileReplaceTest, MissingDirectoryGivesNoReplacement) {
  EXPECT_FALSE(LogfileReplacement::Start(dir_.File("nowhere/main.d")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("nowhere")));
}

}  // namespace
}  // namespace tarn
