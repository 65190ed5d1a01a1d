#include "platform/exit_cleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace tarn::platform {

namespace {

enum SlotState : int {
  kFree = 0,
  kFilling = 1,  // being written; the handler skips it
  kFile = 2,     // remove the file at `path`
  kLock = 3,     // release the lock file at `path` that carries `token`
};

constexpr std::size_t kSlotCount = 64;
constexpr std::size_t kPathCapacity = 4096;

constexpr std::size_t kTokenCapacity = 64;

struct Slot {
  std::atomic<int> state{kFree};
  char token[kTokenCapacity];
  char path[kPathCapacity];
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the table lock-free");

std::array<Slot, kSlotCount> g_slots;

int Claim(const std::string& path, const std::string& token, SlotState state) {
  if (path.empty() || path.size() >= kPathCapacity || token.size() >= kTokenCapacity) return -1;
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    std::memcpy(g_slots[i].token, token.c_str(), token.size() + 1);
    g_slots[i].state.store(state, std::memory_order_release);
    return static_cast<int>(i);
  }
  return -1;
}

// The lock file is removed only while it carries our token: after our
// release another process may hold a new lock file of that name. Only
// async-signal-safe calls, and no allocation.
void ReleaseLock(const Slot& slot) {
  const int named = ::open(slot.path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (named < 0) return;
  char content[4096];
  std::size_t filled = 0;
  for (;;) {
    const ssize_t got = ::read(named, content + filled, sizeof content - 1 - filled);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
    if (filled == sizeof content - 1) break;
  }
  ::close(named);
  content[filled] = '\0';
  // The token stands on a line of its own: "token <digits>".
  const std::size_t token_length = std::strlen(slot.token);
  for (std::size_t at = 0; at + 6 + token_length < filled; ++at) {
    if (std::memcmp(content + at, "\ntoken ", 7) == 0 &&
        std::memcmp(content + at + 7, slot.token, token_length) == 0 &&
        content[at + 7 + token_length] == '\n') {
      ::unlink(slot.path);
      return;
    }
  }
}

constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The notes of the command in progress, written only while the ending
// signals are blocked, so the handler never reads one half-written.
constexpr std::size_t kNoteCapacity = 1024;

struct Note {
  char text[kNoteCapacity];
  std::size_t size = 0;
};

Note g_unchanged_note;
Note g_completed_note;
std::atomic<bool> g_in_command{false};
std::atomic<bool> g_change_begun{false};
std::atomic<int> g_held_signal{0};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the handler reads the flags lock-free");

void SetNote(Note& note, std::string_view text, bool on_new_line) {
  std::size_t size = 0;
  // At a terminal the cursor may stand after a question or a typed "^C".
  if (on_new_line) note.text[size++] = '\n';
  const std::size_t room = kNoteCapacity - size - 1;
  const std::size_t taken = text.size() < room ? text.size() : room;
  std::memcpy(note.text + size, text.data(), taken);
  size += taken;
  if (taken > 0) note.text[size++] = '\n';
  note.size = taken > 0 ? size : 0;
}

void WriteNote(const Note& note) {
  std::size_t done = 0;
  while (done < note.size) {
    const ssize_t put = ::write(STDERR_FILENO, note.text + done, note.size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    done += static_cast<std::size_t>(put);
  }
}

// Blocks the ending signals for its lifetime.
class EndingSignalsBlocked {
 public:
  EndingSignalsBlocked() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal_number : kEndingSignals) sigaddset(&blocked, signal_number);
    ::sigprocmask(SIG_BLOCK, &blocked, &previous_);
  }
  ~EndingSignalsBlocked() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
  EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

 private:
  sigset_t previous_{};
};

// Ends the process as the signal would have ended it, so that the caller
// (a shell, a script) sees why.
void EndBySignal(int signal_number) {
  ::signal(signal_number, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal_number);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal_number);
}

extern "C" void CleanUpAndEnd(int signal_number) {
  const int saved_errno = errno;
  if (g_in_command.load() && g_change_begun.load()) {
    // The command finishes its change; its scope ends the process.
    if (g_held_signal.load() == 0) g_held_signal.store(signal_number);
    errno = saved_errno;
    return;
  }
  RunEarlyExitCleanup();
  if (g_in_command.load()) WriteNote(g_unchanged_note);
  EndBySignal(signal_number);
  errno = saved_errno;
}

}  // namespace

RemoveOnEarlyExit::RemoveOnEarlyExit(const std::string& path) : slot_(Claim(path, "", kFile)) {}

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

int RegisterHeldLockFile(const std::string& path, const std::string& token) {
  return Claim(path, token, kLock);
}

void ForgetHeldLockFile(int registration) {
  if (registration < 0 || static_cast<std::size_t>(registration) >= kSlotCount) return;
  g_slots[static_cast<std::size_t>(registration)].state.store(kFree, std::memory_order_release);
}

void InstallEarlyExitCleanup() {
  struct sigaction cleanup {};
  cleanup.sa_handler = CleanUpAndEnd;
  // A signal held back returns to the command, whose calls then go on.
  cleanup.sa_flags = SA_RESTART;
  sigemptyset(&cleanup.sa_mask);
  // One signal at a time: a second one waits while the first is handled.
  for (const int signal_number : kEndingSignals) sigaddset(&cleanup.sa_mask, signal_number);
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

CommandInterruption::CommandInterruption(std::string_view unchanged_note,
                                         std::string_view completed_note) {
  const bool on_new_line = ::isatty(STDERR_FILENO) == 1;
  const EndingSignalsBlocked blocked;
  SetNote(g_unchanged_note, unchanged_note, on_new_line);
  SetNote(g_completed_note, completed_note, on_new_line);
  g_held_signal.store(0);
  g_change_begun.store(false);
  g_in_command.store(true);
}

CommandInterruption::~CommandInterruption() {
  const EndingSignalsBlocked blocked;
  const int held = g_held_signal.exchange(0);
  if (held != 0) {
    RunEarlyExitCleanup();
    WriteNote(g_completed_note);
    EndBySignal(held);
  }
  g_in_command.store(false);
  g_change_begun.store(false);
}

void NoteChangeBegins() {
  if (g_in_command.load()) g_change_begun.store(true);
}

}  // namespace tarn::platform
