#include "platform/exit_cleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tarn::platform {

namespace {

enum SlotState : int {
  kFree = 0,
  kFilling = 1,  // being written; the handler skips it
  kFile = 2,     // remove the file at `path`
  kLock = 3,     // release the lock file open as `fd` at `path`
};

constexpr std::size_t kSlotCount = 64;
constexpr std::size_t kPathCapacity = 4096;

struct Slot {
  std::atomic<int> state{kFree};
  int fd = -1;
  char path[kPathCapacity];
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the table lock-free");

std::array<Slot, kSlotCount> g_slots;

int Claim(const std::string& path, int fd, SlotState state) {
  if (path.empty() || path.size() >= kPathCapacity) return -1;
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].fd = fd;
    g_slots[i].state.store(state, std::memory_order_release);
    return static_cast<int>(i);
  }
  return -1;
}

// The lock file's name is removed only while it leads to our own file: after
// our release another process may hold a new file of that name.
void ReleaseLock(const Slot& slot) {
  struct stat ours {};
  if (::fstat(slot.fd, &ours) != 0) return;
  const int named = ::open(slot.path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (named < 0) return;
  struct stat found {};
  const bool same =
      ::fstat(named, &found) == 0 && found.st_dev == ours.st_dev && found.st_ino == ours.st_ino;
  ::close(named);
  if (same) ::unlink(slot.path);
}

constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void CleanUpAndEnd(int signal_number) {
  const int saved_errno = errno;
  RunEarlyExitCleanup();
  // End as the signal would have ended the process, so that the caller
  // (a shell, a script) sees why.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
  errno = saved_errno;
}

}  // namespace

RemoveOnEarlyExit::RemoveOnEarlyExit(const std::string& path) : slot_(Claim(path, -1, kFile)) {}

RemoveOnEarlyExit::RemoveOnEarlyExit(RemoveOnEarlyExit&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)) {}

RemoveOnEarlyExit& RemoveOnEarlyExit::operator=(RemoveOnEarlyExit&& other) noexcept {
  if (this != &other) {
    Forget();
    slot_ = std::exchange(other.slot_, -1);
  }
  return *this;
}

void RemoveOnEarlyExit::Forget() {
  if (slot_ < 0) return;
  g_slots[static_cast<std::size_t>(slot_)].state.store(kFree, std::memory_order_release);
  slot_ = -1;
}

void RegisterHeldLockFile(int fd, const std::string& path) { Claim(path, fd, kLock); }

void ForgetHeldLockFile(int fd) {
  for (Slot& slot : g_slots) {
    if (slot.state.load(std::memory_order_acquire) == kLock && slot.fd == fd) {
      slot.state.store(kFree, std::memory_order_release);
    }
  }
}

void InstallEarlyExitCleanup() {
  struct sigaction cleanup {};
  cleanup.sa_handler = CleanUpAndEnd;
  sigemptyset(&cleanup.sa_mask);
  for (const int signal_number : kEndingSignals) {
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if (current.sa_handler != SIG_DFL) continue;
    ::sigaction(signal_number, &cleanup, nullptr);
  }
}

void RunEarlyExitCleanup() {
  for (Slot& slot : g_slots) {
    const int state = slot.state.load(std::memory_order_acquire);
    if (state == kFile) {
      ::unlink(slot.path);
    } else if (state == kLock) {
      ReleaseLock(slot);
    }
  }
}

}  // namespace tarn::platform
