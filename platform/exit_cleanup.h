// What a command must not leave behind when it is ended early: by SIGINT
// (Ctrl-C), SIGTERM, SIGHUP or SIGPIPE, or by a fatal error such as
// exhausted memory.
//
// A command registers each file of its own while the file exists (its
// temporary files, the new workfile before it is renamed into place, a
// replacement logfile, a backup) and the lock file it holds. The signal
// handler does nothing but async-signal-safe work: it removes the registered
// files, removes a lock file only while it still carries this process's token, then lets the signal end the process as it would
// have. The registry is a fixed table written without allocation, so the
// handler never sees a half-written entry.
//
// A command that has begun to put its change in place is not stopped half
// way: see CommandInterruption below.
//
// A SIGKILL cannot be caught: what it leaves behind is made harmless
// elsewhere (lock files are cleared when nobody holds them, new names are
// never counted up to a limit).
#pragma once

#include <string>
#include <string_view>

namespace tarn::platform {

// Removes the registered file when the process is ended early; the
// registration ends with the object (call it after the file is gone or has
// its final name). Without a free table entry nothing is registered: the
// command works the same, only an interruption may leave that file behind.
class RemoveOnEarlyExit {
 public:
  RemoveOnEarlyExit() = default;
  explicit RemoveOnEarlyExit(const std::string& path);
  ~RemoveOnEarlyExit() { Forget(); }
  RemoveOnEarlyExit(RemoveOnEarlyExit&& other) noexcept;
  RemoveOnEarlyExit& operator=(RemoveOnEarlyExit&& other) noexcept;
  RemoveOnEarlyExit(const RemoveOnEarlyExit&) = delete;
  RemoveOnEarlyExit& operator=(const RemoveOnEarlyExit&) = delete;

  // Ends the registration; the file stays.
  void Forget();

 private:
  int slot_ = -1;
};

// The lock file at `path` that carries `token` is released (removed while
// it still carries that token) when the process is ended early. Returns the
// registration to forget, -1 when the table is full.
int RegisterHeldLockFile(const std::string& path, const std::string& token);
void ForgetHeldLockFile(int registration);

// Installs the handler for SIGINT, SIGTERM, SIGHUP and SIGPIPE, for each
// signal that has its default action (one ignored by the caller, as under
// nohup, stays ignored).
void InstallEarlyExitCleanup();

// Removes every registered file and releases every registered lock file
// now. Async-signal-safe; for fatal errors just before the process exits.
void RunEarlyExitCleanup();

// One command on one file, as the signals above see it. Until the command
// begins to put a change in its final place (NoteChangeBegins), a signal
// ends it at once: the clean-up above runs, nothing was changed, and
// `unchanged_note` (one line) says so. From then on a signal is held back
// until the command has finished its file, since a change left half in
// place would be worse than one completed; the process then ends with that
// signal after `completed_note`. The notes are made in advance because a
// signal handler cannot format text. Outside such a scope signals end the
// process at once, without a note.
class CommandInterruption {
 public:
  CommandInterruption(std::string_view unchanged_note, std::string_view completed_note);
  // Ends the process as a signal held back asks, else ends the scope.
  ~CommandInterruption();
  CommandInterruption(const CommandInterruption&) = delete;
  CommandInterruption& operator=(const CommandInterruption&) = delete;
};

// The running command is about to put a change in place (rename a new
// logfile or workfile over the old one): signals are held back from now
// until its CommandInterruption ends. Outside one, nothing happens.
void NoteChangeBegins();

}  // namespace tarn::platform
