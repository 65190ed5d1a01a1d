// A file system and process table of the tests' own for the lock protocol
// (platform/lock_file_system.h): several "machines" share one directory of
// names and nothing else. There are no advisory locks at all, and a hard
// link makes a copy (a different file, as on a FUSE mount that numbers
// inodes by path), so a protocol that leaned on either would fail here.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/lock_file_system.h"

namespace tarn::testing {

// The shared directory: names and their bytes.
struct FakeShare {
  std::map<std::string, std::string> files;
};

// One machine: its name, boot, boot time and the processes that run on it.
struct FakeMachine {
  std::string host;
  std::string bootId;
  std::int64_t bootTime = 1000;
  std::set<std::pair<std::int64_t, std::uint64_t>> running;  // pid, start ticks
};

// One process on one machine, seeing the share.
class FakeClient final : public platform::LockFileSystem {
 public:
  FakeClient(FakeShare& share, FakeMachine& machine, std::int64_t pid, std::uint64_t start);

  // Ends the process as kill -9 would: it leaves the process table and
  // every later call of it fails, so nothing it still holds is cleaned up.
  void Kill();
  // Called before every file-system call with the call's name ("publish",
  // "read", "rename", "link", "unlink", "list") and its first path: a test
  // makes another client act at that moment (or kills this one).
  std::function<void(const std::string& call, const std::string& path)> beforeCall;
  // Added to the machine-independent clock (a clock that is off).
  std::int64_t clockOffset = 0;
  // How many file-system calls this client made.
  int calls = 0;

  // Writes the content under the private name, then links it into place
  // (a copy); a killed client stops after the first step.
  int Publish(const std::string& path, std::string_view bytes, const std::string& privateName,
              platform::PublishWay& way) override;
  std::vector<std::string> PrivateNamesIn(const std::string& directory) override;
  std::optional<std::string> Read(const std::string& path, int& error) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Link(const std::string& existing, const std::string& link) override;
  int Unlink(const std::string& path) override;
  platform::LockRecord Self() override;
  std::int64_t BootTime() override { return machine_.bootTime; }
  platform::ProcessState Process(std::int64_t pid, std::uint64_t startTicks) override;
  std::string NewToken() override;
  std::int64_t Now() override { return 50000 + clockOffset; }

 private:
  bool Call(const std::string& call, const std::string& path);

  FakeShare& share_;
  FakeMachine& machine_;
  std::int64_t pid_;
  std::uint64_t start_;
  bool killed_ = false;
};

}  // namespace tarn::testing
