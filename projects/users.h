// The users known to the system and the login check.
//
// The users section of the system INI file holds one line per user: the
// name, '=', and the password's salted slow hash (empty for a user who has
// never logged in). The login check is a component of its own so that the
// desktop's dialog and the shell stay thin.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "projects/ini_file.h"

namespace tarn {

// The users of the system INI file `system_ini`, in file order.
std::vector<std::string> ListUsers(const std::string& system_ini);

enum class UserChange {
  kDone,
  kExists,
  kMissing,
  kFailed,
  kPasswordNeeded,  // the user has a password, and it was not given
  kBadName,         // no user can be called so (reserved_names.h)
};

// Adds the line "name=" unless the user is listed. A name that differs from
// a listed one only in letter case counts as listed: the file's keys ignore
// case, so it would take over that user's line. `write` tells why a write
// failed.
UserChange AddUser(const std::string& system_ini, std::string_view name, IniWrite* write = nullptr);
// Removes the user's line, password and all; the name must match exactly.
// A user who has a password is removed only for someone who gives it
// (`password`), or for the owner of the directory that holds `system_ini`:
// else anyone could remove a user, add the name again and log in as that
// user with a password of their own choosing.
UserChange DeleteUser(const std::string& system_ini, std::string_view name,
                      IniWrite* write = nullptr,
                      std::optional<std::string_view> password = std::nullopt);
// True when the user's line holds a password.
bool HasPassword(const std::string& system_ini, std::string_view name);
// True when this process acts for the owner of the directory holding
// `system_ini` (or for root, who may change the file anyway).
bool OwnsConfigurationDirectory(const std::string& system_ini);

enum class LoginResult {
  kAccepted,
  kUnknownUser,    // no line for the name
  kWrongPassword,  // letter case counts
  kNotStored,      // a first login whose password could not be stored: refused
};

// Checks `password` for `name`. A user without a password yet takes the
// typed one (stored as its hash); a password still stored as plain text from
// an older file is accepted once and replaced by its hash.
LoginResult CheckLogin(const std::string& system_ini, std::string_view name,
                       std::string_view password);

// The salted slow hash of a password as stored; nothing when it cannot be
// made (no memory for the hash).
std::optional<std::string> HashPassword(std::string_view password);
// True when `stored` is a hash this system makes (not a plain password).
bool IsPasswordHash(std::string_view stored);

}  // namespace tarn
