#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/lock_file.h"
#include "platform/paths.h"
#include "tests/support/test_support.h"

namespace tarn::platform {
namespace {

using testing::TempDir;
using Names = std::vector<std::string>;
using Acquire = std::function<std::optional<LockFile>(const std::string&)>;

// One attempt that makes its lock file the way `route` says.
std::optional<LockFile> AttemptBy(PublishRoute route, const std::string& path) {
  LockAttempt attempt;
  return LockFile::Attempt(path, "tester", attempt, SystemLockFileSystem(route));
}

std::uint64_t InodeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_ino;
}

// A child process that takes the lock, tells the parent, and then either
// waits to be told to let go or waits to be killed.
class Holder {
 public:
  explicit Holder(const std::string& path) {
    EXPECT_EQ(::pipe(to_parent_.data()), 0);
    EXPECT_EQ(::pipe(to_child_.data()), 0);
    pid_ = ::fork();
    if (pid_ == 0) RunChild(path);
    ::close(to_parent_[1]);
    ::close(to_child_[0]);
    char answer = 0;
    holding_ = ::read(to_parent_[0], &answer, 1) == 1 && answer == 'H';
  }
  ~Holder() {
    if (pid_ > 0) Finish();
    ::close(to_parent_[0]);
    ::close(to_child_[1]);
  }

  bool holding() const { return holding_; }

  // Lets the child release the lock and end; true when it ended cleanly.
  bool Finish() {
    ::close(std::exchange(to_child_[1], -1));
    return Reap() == 0;
  }

  void Kill() {
    ::kill(pid_, SIGKILL);
    Reap();
  }

 private:
  [[noreturn]] void RunChild(const std::string& path) {
    ::close(to_parent_[0]);
    ::close(to_child_[1]);
    std::optional<LockFile> lock = LockFile::TryAcquire(path);
    const char answer = lock ? 'H' : 'N';
    if (::write(to_parent_[1], &answer, 1) != 1) ::_exit(3);
    char ignored;
    // Returns when the parent closes its end.
    while (::read(to_child_[0], &ignored, 1) > 0) {
    }
    if (lock) lock->Release();
    ::_exit(lock ? 0 : 1);
  }

  int Reap() {
    int status = 0;
    ::waitpid(std::exchange(pid_, -1), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::array<int, 2> to_parent_{-1, -1};
  std::array<int, 2> to_child_{-1, -1};
  pid_t pid_ = -1;
  bool holding_ = false;
};

TEST(PlatformLockFile, OneHolderAtATimeWithinAProcess) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  std::optional<LockFile> first = LockFile::TryAcquire(path);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->path(), path);
  EXPECT_TRUE(first->IsHeld());
  const std::optional<LockRecord> record = DecodeLockRecord(testing::ReadText(path));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->pid, ::getpid());
  EXPECT_EQ(*record, first->record());
  // Nothing but the lock file is left in the directory.
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{"$ain.d"});

  // The lock belongs to the object, so a second attempt in the same
  // process is refused like any other (its process runs), and the file stays.
  EXPECT_FALSE(LockFile::TryAcquire(path));
  EXPECT_FALSE(LockFile::TryAcquire(path));
  EXPECT_TRUE(FileExists(path));

  first->Release();
  EXPECT_FALSE(first->IsHeld());
  EXPECT_FALSE(FileExists(path));
  first->Release();  // a second release does nothing
  EXPECT_TRUE(LockFile::TryAcquire(path));
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{});
}

TEST(PlatformLockFile, OwnershipMovesAndTheLastOwnerReleases) {
  const TempDir dir;
  const std::string path = dir.File("$orn.ini");
  {
    std::optional<LockFile> taken = LockFile::TryAcquire(path);
    ASSERT_TRUE(taken);
    LockFile moved = std::move(*taken);
    taken->Release();  // the moved-from object holds nothing
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(LockFile::TryAcquire(path));

    std::optional<LockFile> other = LockFile::TryAcquire(dir.File("$other"));
    ASSERT_TRUE(other);
    moved = std::move(*other);  // lets go of $orn.ini, takes $other
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(FileExists(dir.File("$other")));
    EXPECT_EQ(moved.path(), dir.File("$other"));
  }
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{});
}

TEST(PlatformLockFile, NoLockWhereNoneCanBeMade) {
  const TempDir dir;
  EXPECT_FALSE(LockFile::TryAcquire(dir.File("missing/$ain.d")));
  EXPECT_FALSE(LockFile::TryAcquire(""));
  // A directory in the lock file's place is neither held nor removed.
  ASSERT_TRUE(CreateDirectory(dir.File("$dir")));
  EXPECT_FALSE(LockFile::TryAcquire(dir.File("$dir")));
  EXPECT_TRUE(DirectoryExists(dir.File("$dir")));
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{});
}

TEST(PlatformLockFile, AsLongANameAsTheFileSystemTakes) {
  const TempDir dir;
  const std::string path = dir.File("$" + std::string(254, 'x'));
  std::optional<LockFile> lock = LockFile::TryAcquire(path);
  ASSERT_TRUE(lock);
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{FinalComponent(path)});
}

// An empty file (an older version's lock, or one whose maker was killed
// before it wrote it) says nothing about its holder: it is left alone.
TEST(PlatformLockFile, AnEmptyFileIsNeverCleared) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  testing::WriteText(path, "");
  EXPECT_TRUE(CouldBeLockFile(path));
  LockAttempt attempt;
  EXPECT_FALSE(LockFile::Attempt(path, "tester", attempt));
  EXPECT_EQ(attempt.outcome, LockOutcome::kUnreadable);
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(LockFile::TryAcquire(path));
  EXPECT_TRUE(FileExists(path));
}

// A file with anything else in it at the lock file's name (a user's file,
// a logfile whose name starts with '$') is never taken for a stale lock.
TEST(PlatformLockFile, AFileWithOtherContentIsNeverCleared) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  testing::WriteText(path, "a user's notes");
  EXPECT_TRUE(CouldBeLockFile(path));
  EXPECT_FALSE(LockFile::TryAcquire(path));
  EXPECT_EQ(testing::ReadText(path), "a user's notes");
  EXPECT_FALSE(LockFile::TryAcquire(path));
  EXPECT_EQ(testing::ReadText(path), "a user's notes");
}

TEST(PlatformLockFile, ALiveHolderInAnotherProcessKeepsItsLockFile) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  Holder holder(path);
  ASSERT_TRUE(holder.holding());
  const std::uint64_t inode = InodeOf(path);
  for (int attempt = 0; attempt < 5; ++attempt) {
    EXPECT_FALSE(LockFile::TryAcquire(path));
    EXPECT_FALSE(AttemptBy(PublishRoute::kInPlace, path));
    EXPECT_FALSE(AttemptBy(PublishRoute::kNamedLink, path));
  }
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(InodeOf(path), inode);

  EXPECT_TRUE(holder.Finish());
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(LockFile::TryAcquire(path));
}

TEST(PlatformLockFile, AKilledHoldersLockFileIsClearedByTheNextAttempt) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  Holder holder(path);
  ASSERT_TRUE(holder.holding());
  holder.Kill();
  EXPECT_TRUE(FileExists(path));  // kill -9 leaves it behind

  EXPECT_FALSE(LockFile::TryAcquire(path));  // clears it, still fails
  EXPECT_FALSE(FileExists(path));
  std::optional<LockFile> lock = LockFile::TryAcquire(path);
  EXPECT_TRUE(lock);
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{"$ain.d"});
}

TEST(PlatformLockFile, ReleaseLeavesSomeoneElsesLockFileAlone) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  std::optional<LockFile> first = LockFile::TryAcquire(path);
  ASSERT_TRUE(first);
  // Someone deletes the lock file by hand and another command takes a new one.
  ASSERT_TRUE(DeleteFile(path));
  std::optional<LockFile> second = LockFile::TryAcquire(path);
  ASSERT_TRUE(second);
  const std::uint64_t inode = InodeOf(path);

  first->Release();
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(InodeOf(path), inode);
  EXPECT_FALSE(LockFile::TryAcquire(path));
}

TEST(PlatformLockFile, TeamMembersMayOpenTheLockFileOfASharedDirectory) {
  const TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0775), 0);
  const mode_t old_mask = ::umask(077);
  std::optional<LockFile> lock = LockFile::TryAcquire(dir.File("$ain.d"));
  ::umask(old_mask);
  ASSERT_TRUE(lock);
  struct stat info {};
  ASSERT_EQ(::stat(lock->path().c_str(), &info), 0);
  // Taking the lock needs write access; the group may delete it, so it may
  // also test whether it is held.
  EXPECT_EQ(info.st_mode & 0777, 0664u);
}

// Each of several processes takes the lock many times and, while holding it,
// increments a counter kept in a file. Retries follow failed attempts at
// once, so the processes collide all the time; a single lost increment means
// two processes held the lock together.
void CountUnderTheLock(const Acquire& acquire) {
  constexpr int kProcesses = 4;
  constexpr int kIncrements = 200;
  const TempDir dir;
  const std::string lock_path = dir.File("$ounter");
  const std::string counter = dir.File("counter");
  testing::WriteText(counter, "0");

  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    if (child == 0) {
      for (int i = 0; i < kIncrements; ++i) {
        std::optional<LockFile> lock;
        for (long attempt = 0; !lock; ++attempt) {
          if (attempt > 50'000'000) ::_exit(2);
          lock = acquire(lock_path);
        }
        std::optional<File> file = File::Open(counter, OpenMode::kReadWrite);
        if (!file) ::_exit(3);
        std::array<std::uint8_t, 32> text{};
        const std::ptrdiff_t got = file->Read(text);
        if (got <= 0) ::_exit(4);
        const long value = std::stol(std::string(text.begin(), text.begin() + got)) + 1;
        const std::string next = std::to_string(value);
        if (!file->Seek(0) || !file->Truncate(0) ||
            !file->WriteAll({reinterpret_cast<const std::uint8_t*>(next.data()), next.size()})) {
          ::_exit(5);
        }
        file->Close();
        lock->Release();
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }
  EXPECT_EQ(testing::ReadText(counter), std::to_string(kProcesses * kIncrements));
  // No lock file and no private file is left behind.
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{"counter"});
}

TEST(PlatformLockFile, SeveralProcessesLoseNoIncrement) {
  CountUnderTheLock([](const std::string& path) { return LockFile::TryAcquire(path); });
}

TEST(PlatformLockFile, WithANamedPrivateFileSeveralProcessesLoseNoIncrementEither) {
  CountUnderTheLock(
      [](const std::string& path) { return AttemptBy(PublishRoute::kNamedLink, path); });
}

// A contender that finds an unnamed-file holder and one that finds a
// named-file holder must exclude each other: machines of one team may reach
// the directory by different file systems.
TEST(PlatformLockFile, BothWaysOfMakingTheLockExcludeEachOther) {
  const TempDir dir;
  const std::string path = dir.File("$ain.d");
  std::optional<LockFile> unnamed = LockFile::TryAcquire(path);
  ASSERT_TRUE(unnamed);
  EXPECT_FALSE(AttemptBy(PublishRoute::kNamedLink, path));
  EXPECT_FALSE(AttemptBy(PublishRoute::kInPlace, path));
  unnamed->Release();
  std::optional<LockFile> named = AttemptBy(PublishRoute::kNamedLink, path);
  ASSERT_TRUE(named);
  EXPECT_FALSE(LockFile::TryAcquire(path));
  EXPECT_EQ(FindFiles(dir.path().string(), "*"), Names{"$ain.d"});
}

TEST(PlatformLockFile, WithoutHardLinksSeveralProcessesLoseNoIncrementEither) {
  CountUnderTheLock([](const std::string& path) { return AttemptBy(PublishRoute::kInPlace, path); });
}

}  // namespace
}  // namespace tarn::platform
