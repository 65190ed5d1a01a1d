#include "engine/text/comment_prefix.h"

#include "engine/support/report.h"

namespace tarn {

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

// The prefix an entry gives for `extension`, or nothing when it names
// another extension. The character after the compared part must be the
// colon, so ".CPP:" does not serve ".CP".
bool EntryPrefix(std::string_view entry, std::string_view extension, std::string& prefix) {
  const std::size_t n = extension.size();
  if (entry.size() <= n || entry[n] != ':') return false;
  if (UpperAscii(entry.substr(0, n)) != extension) return false;
  prefix = std::string(entry.substr(n + 1));
  return true;
}

}  // namespace

std::string CommentPrefixList(std::string_view settings_list) {
  std::string list(settings_list);
  list += kDefaultCommentPrefixList;
  return list;
}

std::string UpperCaseExtension(std::string_view name) {
  // Only the final component counts: a dot in a directory name is not an
  // extension of the file.
  const std::size_t slash = name.find_last_of('/');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  return UpperAscii(name.substr(dot));
}

std::string ChooseCommentPrefix(std::string_view prefix_list, std::string_view name) {
  const std::string extension = UpperCaseExtension(name);
  std::string prefix;
  std::size_t start = 0;
  while (start <= prefix_list.size()) {
    std::size_t end = prefix_list.find('~', start);
    if (end == std::string_view::npos) end = prefix_list.size();
    const std::string_view entry = prefix_list.substr(start, end - start);
    if (!entry.empty() && EntryPrefix(entry, extension, prefix)) return prefix;
    start = end + 1;
  }
  Report(kStatus, msg::kNoCommentPrefix, extension);
  return std::string(kFallbackCommentPrefix);
}

}  // namespace tarn
