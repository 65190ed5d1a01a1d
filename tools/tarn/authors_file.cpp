#include "tools/tarn/authors_file.h"

#include "engine/support/report.h"
#include "engine/support/whole_file.h"

namespace tarn::cli {

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

// "Full Name <email>": a name (maybe empty) and one email in angle
// brackets at the end, neither holding another bracket.
bool IsIdent(std::string_view ident) {
  const std::size_t open = ident.find('<');
  if (open == std::string_view::npos || !ident.ends_with('>')) return false;
  const std::string_view email = ident.substr(open + 1, ident.size() - open - 2);
  return email.find_first_of("<>") == std::string_view::npos &&
         ident.substr(0, open).find('>') == std::string_view::npos;
}

// A user name git may show: angle brackets and line ends cannot stand in an
// ident.
std::string Plain(std::string text) {
  for (char& c : text) {
    if (c == '<' || c == '>' || c == '\n') c = '_';
  }
  return text;
}

}  // namespace

std::optional<AuthorsFile> AuthorsFile::Read(const std::string& path) {
  ByteBuffer bytes;
  if (ReadWholeFileOrReport(path, bytes) != 1) return std::nullopt;
  return Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path);
}

std::optional<AuthorsFile> AuthorsFile::Parse(std::string_view text, const std::string& path) {
  AuthorsFile authors;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    const std::string_view name =
        equals == std::string_view::npos ? std::string_view() : Trimmed(line.substr(0, equals));
    const std::string_view ident =
        equals == std::string_view::npos ? std::string_view() : Trimmed(line.substr(equals + 1));
    if (name.empty() || !IsIdent(ident) || authors.idents_.contains(std::string(name))) {
      Report(kAlert, msg::kBadAuthorsLine, std::string_view(path), number, line);
      return std::nullopt;
    }
    authors.idents_.emplace(std::string(name), std::string(ident));
  }
  return authors;
}

std::string AuthorsFile::Ident(const std::string& user) const {
  const auto found = idents_.find(user);
  if (found != idents_.end()) return found->second;
  const std::string plain = Plain(user);
  return plain + " <" + plain + ">";
}

}  // namespace tarn::cli
