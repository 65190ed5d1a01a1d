// Another process holding a lock file, for tests of what waits for it.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarn::testing {

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
