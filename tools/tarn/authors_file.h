// The authors file of an export: one line per user, "name = Full Name
// <email>"; blank lines and lines starting with '#' are left alone. A user
// the file does not name becomes "name <name>".
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::cli {

class AuthorsFile {
 public:
  // Reads the file; a malformed line is reported with its number (none).
  static std::optional<AuthorsFile> Read(const std::string& path);
  // The same for its text, `path` naming it in messages.
  static std::optional<AuthorsFile> Parse(std::string_view text, const std::string& path);

  // "Full Name <email>" for `user`.
  std::string Ident(const std::string& user) const;

 private:
  std::map<std::string, std::string> idents_;
};

}  // namespace tarn::cli
