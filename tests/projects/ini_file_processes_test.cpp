// INI files under several processes: writers of different keys lose nothing,
// and a writer killed at any moment leaves the old file or the new one whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "projects/ini_file.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

// Runs `work` in a child process; returns its pid.
template <class Work>
pid_t Spawn(Work work) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int status = work();
    ::_exit(status);
  }
  return pid;
}

int ExitStatus(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(IniFileProcesses, FourWritersOfDifferentKeysLoseNoValue) {
  constexpr int kWriters = 4;
  constexpr int kWrites = 50;
  TempDir dir;
  const std::string path = dir.File("dorn.ini");
  WriteText(path, "; shared by the team\n[Projects]\nA=/src/a/\n");
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.push_back(Spawn([&, w] {
      for (int i = 0; i < kWrites; ++i) {
        // Each value in its own short-lived object, as every caller works.
        // A write that found the lock busy through all its attempts says so;
        // the writer then tries again, as a person would.
        for (;;) {
          tIniFile ini(path);
          const IniWrite result = ini.SetValue("Writer" + std::to_string(w),
                                               "key" + std::to_string(i), std::to_string(i * w));
          if (result == IniWrite::kWritten) break;
          if (result != IniWrite::kLockBusy) return 1;
        }
      }
      return 0;
    }));
  }
  for (pid_t pid : writers) EXPECT_EQ(ExitStatus(pid), 0);

  tIniFile ini(path);
  for (int w = 0; w < kWriters; ++w) {
    const std::string section = "Writer" + std::to_string(w);
    ASSERT_EQ(ini.GetKeyNames(section).size(), static_cast<std::size_t>(kWrites)) << section;
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(ini.GetValue(section, "key" + std::to_string(i)), std::to_string(i * w));
    }
  }
  EXPECT_EQ(ini.GetValue("Projects", "A"), "/src/a/");
  EXPECT_EQ(ReadText(path).rfind("; shared by the team\n", 0), 0u);
}

// The file as a writer that sets Counter to `n` leaves it.
std::string FileWithCounter(const std::string& filler, int n) {
  return "[Projects]\nA=/src/a/\n\n[Data]\n" + filler + "Counter=" + std::to_string(n) + "\n";
}

TEST(IniFileProcesses, WriterKilledAtAnyMomentLeavesAWholeFile) {
  TempDir dir;
  const std::string path = dir.File("dorn.ini");
  // Large enough that a write takes a while, so kills land inside it.
  // (Many lines: one line this long would be refused as no INI file has it.)
  std::string filler;
  for (int line = 0; line < 4096; ++line) {
    filler += "filler" + std::to_string(line) + "=" + std::string(56, 'f') + "\n";
  }
  WriteText(path, FileWithCounter(filler, 0));
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> delay(0, 40000);
  int last = 0;
  int killed_mid_rewrite = 0;
  // On a loaded machine a writer may not get to run before its kill: rounds
  // go on (up to a bound) until at least one kill has landed mid-rewrite.
  constexpr int kRounds = 25;
  constexpr int kMostRounds = 400;
  for (int round = 0; round < kRounds || (killed_mid_rewrite == 0 && round < kMostRounds);
       ++round) {
    const int start = last;
    const pid_t writer = Spawn([&] {
      for (int n = start + 1;; ++n) {
        tIniFile ini(path);
        if (ini.SetValue("Data", "Counter", std::to_string(n)) != IniWrite::kWritten) return 1;
      }
    });
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(writer, SIGKILL);
    ASSERT_EQ(ExitStatus(writer), 128 + SIGKILL) << "round " << round;
    if (std::filesystem::exists(dir.File("!orn.ini"))) ++killed_mid_rewrite;

    tIniFile ini(path);
    const std::optional<std::string> counter = ini.GetValue("Data", "Counter");
    ASSERT_TRUE(counter) << "round " << round;
    const int n = std::stoi(*counter);
    EXPECT_GE(n, last);
    ASSERT_EQ(ReadText(path), FileWithCounter(filler, n)) << "round " << round;
    last = n;
  }
  // Some kills landed between the start of a new file and its rename.
  EXPECT_GT(killed_mid_rewrite, 0);
  // The lock and the half-written file of the last victim stand in no one's way.
  tIniFile ini(path);
  EXPECT_EQ(ini.SetValue("Data", "Counter", "done"), IniWrite::kWritten);
  EXPECT_EQ(ini.GetValue("Data", "Counter"), "done");
}

}  // namespace
}  // namespace tarn
