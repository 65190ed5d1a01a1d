#include "tests/support/fake_lock_file_system.h"

#include <cerrno>
#include <cstdio>

namespace tarn::testing {

FakeClient::FakeClient(FakeShare& share, FakeMachine& machine, std::int64_t pid,
                       std::uint64_t start)
    : share_(share), machine_(machine), pid_(pid), start_(start) {
  machine_.running.insert({pid_, start_});
}

void FakeClient::Kill() {
  killed_ = true;
  machine_.running.erase({pid_, start_});
}

bool FakeClient::Call(const std::string& call, const std::string& path) {
  if (killed_) return false;
  ++calls;
  if (beforeCall) beforeCall(call, path);
  return !killed_;
}

int FakeClient::Publish(const std::string& path, std::string_view bytes,
                        const std::string& privateName, platform::PublishWay& way) {
  way = platform::PublishWay::kLinkedNamed;
  if (!Call("publish", privateName)) return EIO;
  share_.files[privateName] = std::string(bytes);
  if (!Call("link", privateName)) return EIO;  // killed: the private file stays
  const int linked = share_.files.count(path) != 0 ? EEXIST : 0;
  if (linked == 0) share_.files[path] = std::string(bytes);
  share_.files.erase(privateName);
  return linked;
}

std::vector<std::string> FakeClient::PrivateNamesIn(const std::string& directory) {
  std::vector<std::string> names;
  if (!Call("list", directory)) return names;
  const std::string prefix = directory + std::string(platform::kPrivateLockPrefix);
  for (const auto& [name, bytes] : share_.files) {
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name.substr(directory.size()));
  }
  return names;
}

std::optional<std::string> FakeClient::Read(const std::string& path, int& error) {
  if (!Call("read", path)) {
    error = EIO;
    return std::nullopt;
  }
  const auto found = share_.files.find(path);
  if (found == share_.files.end()) {
    error = ENOENT;
    return std::nullopt;
  }
  error = 0;
  return found->second.substr(0, platform::kLockFileReadLimit + 1);
}

int FakeClient::Rename(const std::string& from, const std::string& to) {
  if (!Call("rename", from)) return EIO;
  const auto found = share_.files.find(from);
  if (found == share_.files.end()) return ENOENT;
  std::string bytes = std::move(found->second);
  share_.files.erase(found);
  share_.files[to] = std::move(bytes);
  return 0;
}

int FakeClient::Link(const std::string& existing, const std::string& link) {
  if (!Call("link", existing)) return EIO;
  const auto found = share_.files.find(existing);
  if (found == share_.files.end()) return ENOENT;
  if (share_.files.count(link) != 0) return EEXIST;
  // A copy: what is done to one name later is not seen at the other.
  share_.files[link] = found->second;
  return 0;
}

int FakeClient::Unlink(const std::string& path) {
  if (!Call("unlink", path)) return EIO;
  return share_.files.erase(path) != 0 ? 0 : ENOENT;
}

platform::LockRecord FakeClient::Self() {
  platform::LockRecord self;
  self.host = machine_.host;
  self.bootId = machine_.bootId;
  self.pidNamespace = "pid:[1]";
  self.pid = pid_;
  self.startTicks = start_;
  return self;
}

platform::ProcessState FakeClient::Process(std::int64_t pid, std::uint64_t startTicks) {
  return machine_.running.count({pid, startTicks}) != 0 ? platform::ProcessState::kRunning
                                                         : platform::ProcessState::kGone;
}

std::string FakeClient::NewToken() {
  static unsigned long long counter = 0;
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(pid_),
                ++counter);
  return text;
}

}  // namespace tarn::testing
