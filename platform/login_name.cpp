#include "platform/login_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/environment_variables.h"

namespace tarn::platform {

namespace {

std::optional<std::string> AccountName(uid_t user) {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  while (true) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    const int error = ::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE && buffer.size() < (1U << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (error != 0 || found == nullptr || found->pw_name == nullptr || *found->pw_name == '\0') {
      return std::nullopt;
    }
    return std::string(found->pw_name);
  }
}

}  // namespace

std::optional<std::string> LoginName() {
  // Not getlogin(): it needs a controlling terminal, which cron jobs and CI
  // do not have.
  if (std::optional<std::string> name = AccountName(::getuid())) return name;
  for (const char* variable : {"LOGNAME", "USER"}) {
    std::optional<std::string> value = GetEnvironmentVariable(variable);
    if (value && !value->empty()) return value;
  }
  return std::nullopt;
}

}  // namespace tarn::platform
