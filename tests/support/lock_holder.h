// Another process holding a lock file, for tests of what waits for it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/lock_record.h"

namespace tarn::testing {

// A lock record as a process `pid` of this machine would write it (user
// "bob", made now), for planting lock files; change host or time to make
// it another machine's.
platform::LockRecord LockOfThisMachine(std::int64_t pid);

// A process id that no process has: a child that ended and was waited for.
std::int64_t EndedProcessId();

// Writes `record` as the lock file `path`.
void PlantLockFile(const std::string& path, const platform::LockRecord& record);

// Forks a child that takes the lock file `path` (platform::LockFile) and
// keeps it until this object is destroyed (the child is then killed). The
// constructor returns once the child holds the lock; held() tells whether
// it got it.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path);
  ~LockHolder();
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool held() const { return held_; }

 private:
  pid_t child_ = -1;
  bool held_ = false;
};

}  // namespace tarn::testing
