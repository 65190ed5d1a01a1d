#include "projects/users.h"

#include <sodium.h>

#include <algorithm>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/file_status.h"
#include "platform/paths.h"
#include "projects/reserved_names.h"

namespace tarn {

namespace {

std::string_view UsersSection() { return MessageText(msg::kIniUsersSection.number); }

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

bool Listed(const std::vector<std::string>& users, std::string_view name) {
  return std::find(users.begin(), users.end(), name) != users.end();
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Keys of an INI file compare without letter case, so a name that differs
// from a listed one only in case would take over that user's line.
bool ListedInAnyCase(const std::vector<std::string>& users, std::string_view name) {
  return std::any_of(users.begin(), users.end(), [name](const std::string& user) {
    return std::equal(user.begin(), user.end(), name.begin(), name.end(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
  });
}

UserChange Outcome(IniWrite result, IniWrite* write) {
  if (write != nullptr) *write = result;
  return result == IniWrite::kWritten ? UserChange::kDone : UserChange::kFailed;
}

bool VerifyHash(const std::string& stored, std::string_view password) {
  if (!SodiumReady()) return false;
  return crypto_pwhash_str_verify(stored.c_str(), password.data(), password.size()) == 0;
}

// `stored` as the users section holds it: a hash, or a plain password from an
// older file.
bool PasswordMatches(const std::string& stored, std::string_view password) {
  return IsPasswordHash(stored) ? VerifyHash(stored, password) : stored == password;
}

}  // namespace

std::optional<std::string> HashPassword(std::string_view password) {
  if (!SodiumReady()) return std::nullopt;
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return std::nullopt;
  }
  return std::string(hash);
}

bool IsPasswordHash(std::string_view stored) {
  return stored.starts_with("$argon2id$") || stored.starts_with("$argon2i$");
}

std::vector<std::string> ListUsers(const std::string& system_ini) {
  tIniFile ini(system_ini);
  return ini.GetKeyNames(UsersSection());
}

UserChange AddUser(const std::string& system_ini, std::string_view name, IniWrite* write) {
  if (!IsUsableUserName(name)) return UserChange::kBadName;
  tIniFile ini(system_ini);
  if (const IniWrite locked = ini.TakeLock(); locked != IniWrite::kWritten) {
    return Outcome(locked, write);
  }
  if (ListedInAnyCase(ini.GetKeyNames(UsersSection()), name)) return UserChange::kExists;
  return Outcome(ini.SetEmptyValue(UsersSection(), name), write);
}

UserChange DeleteUser(const std::string& system_ini, std::string_view name, IniWrite* write,
                      std::optional<std::string_view> password) {
  tIniFile ini(system_ini);
  if (const IniWrite locked = ini.TakeLock(); locked != IniWrite::kWritten) {
    return Outcome(locked, write);
  }
  if (!Listed(ini.GetKeyNames(UsersSection()), name)) {
    return ini.Problem() ? Outcome(IniWrite::kUnreadable, write) : UserChange::kMissing;
  }
  const std::string stored = ini.GetValue(UsersSection(), name).value_or(std::string());
  if (!stored.empty() && !OwnsConfigurationDirectory(system_ini) &&
      !(password && PasswordMatches(stored, *password))) {
    return UserChange::kPasswordNeeded;
  }
  return Outcome(ini.SetValue(UsersSection(), name, ""), write);
}

bool HasPassword(const std::string& system_ini, std::string_view name) {
  tIniFile ini(system_ini);
  const std::optional<std::string> stored =
      tIniFile::IsUsableName(name) ? ini.GetValue(UsersSection(), name) : std::nullopt;
  return stored && !stored->empty();
}

bool OwnsConfigurationDirectory(const std::string& system_ini) {
  const unsigned me = platform::EffectiveUserId();
  if (me == 0) return true;
  const std::string directory = platform::DirectoryPart(system_ini);
  const std::optional<platform::FileOwnership> owner =
      platform::OwnershipOf(directory.empty() ? std::string(".") : directory);
  return owner && owner->owner == me;
}

LoginResult CheckLogin(const std::string& system_ini, std::string_view name,
                       std::string_view password) {
  tIniFile ini(system_ini);
  // Held from the read to the store, so that two first logins of one user
  // cannot both set a password. Without it the check still works; only a
  // store then fails.
  ini.Lock();
  const std::optional<std::string> stored =
      tIniFile::IsUsableName(name) ? ini.GetValue(UsersSection(), name) : std::nullopt;
  if (!stored) return LoginResult::kUnknownUser;
  if (stored->empty()) {
    const std::optional<std::string> hash = HashPassword(password);
    if (!hash || ini.SetValue(UsersSection(), name, *hash) != IniWrite::kWritten) {
      return LoginResult::kNotStored;
    }
    return LoginResult::kAccepted;
  }
  if (IsPasswordHash(*stored)) {
    return VerifyHash(*stored, password) ? LoginResult::kAccepted : LoginResult::kWrongPassword;
  }
  if (*stored != password) return LoginResult::kWrongPassword;
  // A plain password from an older file: replaced by its hash now. Should
  // that fail, the next login tries again.
  if (const std::optional<std::string> hash = HashPassword(password)) {
    ini.SetValue(UsersSection(), name, *hash);
  }
  return LoginResult::kAccepted;
}

}  // namespace tarn
