#include "tests/support/lock_holder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "platform/clock.h"
#include "platform/lock_file.h"
#include "platform/lock_file_system.h"

namespace tarn::testing {

platform::LockRecord LockOfThisMachine(std::int64_t pid) {
  platform::LockRecord record = platform::SystemLockFileSystem().Self();
  record.pid = pid;
  record.user = "bob";
  record.time = platform::CurrentTime();
  record.token = "feedfacefeedfacefeedfacefeedface";
  return record;
}

std::int64_t EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

// Written here rather than through the tests' file helpers, which the front
// end's tests (built without GoogleTest) do not link.
void PlantLockFile(const std::string& path, const platform::LockRecord& record) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << platform::EncodeLockRecord(record);
}

LockHolder::LockHolder(const std::string& path) {
  int ready[2];
  if (::pipe(ready) != 0) return;
  child_ = ::fork();
  if (child_ == 0) {
    ::close(ready[0]);
    std::optional<platform::LockFile> lock = platform::LockFile::TryAcquire(path);
    const char state = lock ? 'H' : 'F';
    if (::write(ready[1], &state, 1) != 1) ::_exit(3);
    while (true) ::pause();
  }
  ::close(ready[1]);
  char state = 0;
  if (child_ > 0 && ::read(ready[0], &state, 1) == 1) held_ = state == 'H';
  ::close(ready[0]);
}

LockHolder::~LockHolder() {
  if (child_ <= 0) return;
  ::kill(child_, SIGKILL);
  int status = 0;
  ::waitpid(child_, &status, 0);
}

}  // namespace tarn::testing
