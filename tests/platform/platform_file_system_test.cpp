#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace tarn::platform {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

void SetMode(const std::string& path, mode_t mode) { ASSERT_EQ(::chmod(path.c_str(), mode), 0); }

// Runs `body` in a child process under the user "nobody" and returns its exit
// code: the only way to meet a file one does not own when the tests run as
// root.
int RunAsAnotherUser(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(PlatformFileSystem, ExistenceOfFilesDirectoriesAndLinks) {
  const TempDir dir;
  const std::string file = dir.File("work.c");
  const std::string link = dir.File("dangling");
  WriteText(file, "x");
  ASSERT_EQ(::symlink(dir.File("nowhere").c_str(), link.c_str()), 0);

  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_TRUE(FileExists(dir.path().string()));
  EXPECT_TRUE(DirectoryExists(dir.path().string()));
  EXPECT_FALSE(FileExists(dir.File("missing")));
  EXPECT_FALSE(DirectoryExists(dir.File("missing")));
  // A link to nothing still takes its name.
  EXPECT_TRUE(FileExists(link));
  EXPECT_FALSE(CreateExclusive(link));
}

TEST(PlatformFileSystem, CreateDirectoryMakesOneLevel) {
  const TempDir dir;
  const std::string logs = dir.File("logs");
  EXPECT_TRUE(CreateDirectory(logs));
  EXPECT_TRUE(DirectoryExists(logs));
  EXPECT_TRUE(CreateDirectory(logs));  // there already
  EXPECT_TRUE(CreateDirectory(logs + "/"));

  EXPECT_FALSE(CreateDirectory(dir.File("a/b")));
  EXPECT_FALSE(DirectoryExists(dir.File("a")));

  WriteText(dir.File("plain"), "");
  errno = 0;
  EXPECT_FALSE(CreateDirectory(dir.File("plain")));
  EXPECT_EQ(errno, EEXIST);
}

TEST(PlatformFileSystem, DeleteAndRename) {
  const TempDir dir;
  const std::string old_log = dir.File("main.d");
  const std::string new_log = dir.File("main.tmp");
  WriteText(old_log, "old");
  WriteText(new_log, "new");

  EXPECT_TRUE(RenameFile(new_log, old_log));
  EXPECT_EQ(ReadText(old_log), "new");
  EXPECT_FALSE(FileExists(new_log));
  errno = 0;
  EXPECT_FALSE(RenameFile(new_log, old_log));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(ReadText(old_log), "new");

  EXPECT_TRUE(DeleteFile(old_log));
  EXPECT_FALSE(FileExists(old_log));
  errno = 0;
  EXPECT_FALSE(DeleteFile(old_log));
  EXPECT_EQ(errno, ENOENT);
  ASSERT_TRUE(CreateDirectory(dir.File("sub")));
  EXPECT_FALSE(DeleteFile(dir.File("sub")));
  EXPECT_TRUE(DirectoryExists(dir.File("sub")));
}

TEST(PlatformFileSystem, CreateExclusiveNeverTouchesAnExistingFile) {
  const TempDir dir;
  const std::string temp = dir.File("TARN0001");
  EXPECT_TRUE(CreateExclusive(temp));
  EXPECT_EQ(FileSize(temp), 0);
  WriteText(temp, "keep me");
  errno = 0;
  EXPECT_FALSE(CreateExclusive(temp));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadText(temp), "keep me");
  EXPECT_FALSE(CreateExclusive(dir.File("missing/TARN0002")));
}

TEST(PlatformFileSystem, SizeAndTimeOfMissingFilesAreUnknown) {
  const TempDir dir;
  WriteText(dir.File("five"), "12345");
  EXPECT_EQ(FileSize(dir.File("five")), 5);
  EXPECT_EQ(FileSize(dir.File("missing")), std::nullopt);
  EXPECT_EQ(ModificationTime(dir.File("missing")), std::nullopt);
  EXPECT_FALSE(SetModificationTime(dir.File("missing"), 1000));
}

TEST(PlatformFileSystem, ModificationTimeIsRoundedDownToAnEvenSecond) {
  const TempDir dir;
  const std::string work = dir.File("work.c");
  WriteText(work, "text");
  const struct {
    std::int64_t asked;
    std::int64_t stored;
  } cases[] = {
      {1000001, 1000000},
      {1000000, 1000000},
      {1, 0},
      {4294967297LL, 4294967296LL},  // beyond 32-bit time
      {-3, -4},                      // rounding goes down, not towards zero
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetModificationTime(work, c.asked)) << c.asked;
    EXPECT_EQ(ModificationTime(work), c.stored) << c.asked;
    struct stat info {};
    ASSERT_EQ(::stat(work.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_nsec, 0);
  }
}

TEST(PlatformFileSystem, ReadOnlyClearsEveryWriteBitAndRestoresOwnerAndGroup) {
  const TempDir dir;
  const std::string shared = dir.path().string();
  const std::string log = dir.File("main.d");
  WriteText(log, "log");

  // A group-writable logfile directory: the team gets its write bit back.
  SetMode(shared, 0775);
  SetMode(log, 0664);
  EXPECT_FALSE(IsReadOnly(log));
  EXPECT_TRUE(SetReadOnly(log, true));
  EXPECT_EQ(ModeOf(log), 0444u);
  EXPECT_TRUE(IsReadOnly(log));
  EXPECT_TRUE(SetReadOnly(log, true));  // already so
  EXPECT_EQ(ModeOf(log), 0444u);
  EXPECT_TRUE(SetReadOnly(log, false));
  EXPECT_EQ(ModeOf(log), 0664u);

  // A private directory: only the owner.
  SetMode(shared, 0755);
  SetMode(log, 0666);
  EXPECT_TRUE(SetReadOnly(log, true));
  EXPECT_EQ(ModeOf(log), 0444u);
  EXPECT_TRUE(SetReadOnly(log, false));
  EXPECT_EQ(ModeOf(log), 0644u);

  // Other bits stay as they are.
  SetMode(shared, 0775);
  SetMode(log, 0755);
  EXPECT_TRUE(SetReadOnly(log, true));
  EXPECT_EQ(ModeOf(log), 0555u);
  EXPECT_TRUE(SetReadOnly(log, false));
  EXPECT_EQ(ModeOf(log), 0775u);

  // Write permission for others alone is not read-only.
  SetMode(log, 0442);
  EXPECT_FALSE(IsReadOnly(log));
}

TEST(PlatformFileSystem, ReadOnlyOfMissingFiles) {
  const TempDir dir;
  EXPECT_FALSE(IsReadOnly(dir.File("missing")));
  EXPECT_FALSE(SetReadOnly(dir.File("missing"), true));
  EXPECT_FALSE(SetReadOnly(dir.File("missing"), false));
}

TEST(PlatformFileSystem, ReadOnlyOfAnotherUsersFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file owned by someone else";
  const TempDir dir;
  SetMode(dir.path().string(), 0777);
  const std::string protected_log = dir.File("protected.d");
  const std::string open_log = dir.File("open.d");
  const std::string others_may_write = dir.File("others.d");
  WriteText(protected_log, "p");
  WriteText(open_log, "o");
  WriteText(others_may_write, "w");
  SetMode(protected_log, 0444);
  SetMode(open_log, 0666);
  SetMode(others_may_write, 0646);

  const int result = RunAsAnotherUser([&] {
    // Not the owner, cannot write: clearing fails with the reason.
    errno = 0;
    if (SetReadOnly(protected_log, false) || errno != EPERM) return 1;
    // Already writable: nothing to change, nothing to refuse.
    if (!SetReadOnly(open_log, false)) return 2;
    // chmod is refused, but the file can be written anyway.
    if (!SetReadOnly(others_may_write, false)) return 3;
    // Protecting someone else's file is refused.
    if (SetReadOnly(open_log, true)) return 4;
    return 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ModeOf(protected_log), 0444u);
  EXPECT_EQ(ModeOf(open_log), 0666u);
  EXPECT_EQ(ModeOf(others_may_write), 0646u);
}

TEST(PlatformFileSystem, WildcardMatching) {
  EXPECT_TRUE(MatchesWildcard("*", ""));
  EXPECT_TRUE(MatchesWildcard("**", "abc"));
  EXPECT_TRUE(MatchesWildcard("*.c", "main.c"));
  EXPECT_FALSE(MatchesWildcard("*.c", "main.cpp"));
  EXPECT_FALSE(MatchesWildcard("*.c", "main.C"));
  EXPECT_TRUE(MatchesWildcard("a*b*c", "abbbc"));
  EXPECT_TRUE(MatchesWildcard("*a*b", "xaxxb"));
  EXPECT_FALSE(MatchesWildcard("*a*b", "xaxxbx"));
  EXPECT_TRUE(MatchesWildcard("a*b", "ab"));
  EXPECT_TRUE(MatchesWildcard("a?c", "abc"));
  EXPECT_FALSE(MatchesWildcard("a?c", "ac"));
  EXPECT_FALSE(MatchesWildcard("*?", ""));
  EXPECT_TRUE(MatchesWildcard("*.*", "bar.___"));
  EXPECT_FALSE(MatchesWildcard("*.*", "Makefile"));
  EXPECT_TRUE(MatchesWildcard("$*", "$ain.d"));
  EXPECT_FALSE(MatchesWildcard("", "a"));
  EXPECT_TRUE(MatchesWildcard("", ""));
  // A '*' in a name is an ordinary character there.
  EXPECT_TRUE(MatchesWildcard("a*", "a*b"));
}

TEST(PlatformFileSystem, FindFilesListsMatchingFileNamesSorted) {
  const TempDir dir;
  for (const char* name : {"b.h", "a.c", "abc", "a.cpp", ".hidden", "A.C", "$ain.d"}) {
    WriteText(dir.File(name), "");
  }
  ASSERT_TRUE(CreateDirectory(dir.File("sub.c")));
  ASSERT_EQ(::symlink(dir.File("sub.c").c_str(), dir.File("link.c").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("a.c").c_str(), dir.File("alias.c").c_str()), 0);
  const std::string base = dir.path().string();
  using Names = std::vector<std::string>;

  EXPECT_EQ(FindFiles(base, "*.c"), (Names{"a.c", "alias.c"}));
  EXPECT_EQ(FindFiles(base, "*"),
            (Names{"$ain.d", ".hidden", "A.C", "a.c", "a.cpp", "abc", "alias.c", "b.h"}));
  EXPECT_EQ(FindFiles(base + "/", "?.?"), (Names{"A.C", "a.c", "b.h"}));
  EXPECT_EQ(FindFiles(base, "a*c"), (Names{"a.c", "abc", "alias.c"}));
  EXPECT_EQ(FindFiles(base, "*.*").size(), 7u);  // all but abc
  EXPECT_EQ(FindFiles(base, "none*"), Names{});
  EXPECT_EQ(FindFiles(dir.File("missing"), "*"), Names{});
}

TEST(PlatformFileSystem, FindSubdirectoriesListsDirectoriesButNoLinks) {
  const TempDir dir;
  for (const char* name : {"b", "a", ".RCS"}) ASSERT_TRUE(CreateDirectory(dir.File(name)));
  WriteText(dir.File("file"), "");
  ASSERT_EQ(::symlink(dir.File("a").c_str(), dir.File("loop").c_str()), 0);
  using Names = std::vector<std::string>;
  EXPECT_EQ(FindSubdirectories(dir.path().string()), (Names{".RCS", "a", "b"}));
  EXPECT_EQ(FindSubdirectories(dir.File("a")), Names{});
  EXPECT_EQ(FindSubdirectories(dir.File("file")), Names{});
  EXPECT_EQ(FindSubdirectories(dir.File("missing")), Names{});
}

TEST(PlatformFileSystem, SyncDirectory) {
  const TempDir dir;
  EXPECT_TRUE(SyncDirectory(dir.path().string()));
  EXPECT_FALSE(SyncDirectory(dir.File("missing")));
}

}  // namespace
}  // namespace tarn::platform

namespace tarn::platform {
namespace {

// A link planted where a file is expected never carries a mode change to
// what it names, and a FIFO or device is never touched (nor waited for).
TEST(PlatformFileSystem, ReadOnlyNeverFollowsALinkNorTouchesSpecialFiles) {
  const TempDir dir;
  const std::string target = dir.File("target");
  WriteText(target, "someone else's file");
  SetMode(target, 0644);
  const std::string link = dir.File("main.d");
  std::filesystem::create_symlink(target, link);
  errno = 0;
  EXPECT_FALSE(SetReadOnly(link, true));
  EXPECT_EQ(errno, ELOOP);
  EXPECT_FALSE(SetReadOnly(link, false));
  EXPECT_EQ(ModeOf(target), 0644u);

  const std::string fifo = dir.File("fifo.d");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  errno = 0;
  EXPECT_FALSE(SetReadOnly(fifo, true));
  EXPECT_EQ(errno, kNotRegularFile);
  EXPECT_EQ(ModeOf(fifo), 0644u);
}

TEST(PlatformFileSystem, IdentityTellsTwoSpellingsOfOneFile) {
  const TempDir dir;
  WriteText(dir.File("a"), "a");
  WriteText(dir.File("b"), "a");
  std::filesystem::create_directory_symlink(dir.path(), dir.File("again"));
  std::filesystem::create_hard_link(dir.File("a"), dir.File("hard"));
  ASSERT_TRUE(IdentityOf(dir.File("a")));
  EXPECT_EQ(IdentityOf(dir.File("a")), IdentityOf(dir.File("again/a")));
  EXPECT_EQ(IdentityOf(dir.File("a")), IdentityOf(dir.File("hard")));
  EXPECT_NE(IdentityOf(dir.File("a")), IdentityOf(dir.File("b")));
  EXPECT_FALSE(IdentityOf(dir.File("missing")));
}

}  // namespace
}  // namespace tarn::platform
