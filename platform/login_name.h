// The name of the account the process runs under.
#pragma once

#include <optional>
#include <string>

namespace tarn::platform {

// The login name of the process's real user, from the account database;
// else LOGNAME or USER; nothing when none of them gives a name.
std::optional<std::string> LoginName();

}  // namespace tarn::platform
