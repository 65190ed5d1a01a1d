#include "engine/format/user_list.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn {
namespace {

// Calls `visit(name, index)` for each non-empty name until it returns true;
// returns the index at which it stopped, or -1.
template <class Visit>
int ForEachName(std::string_view list, Visit visit) {
  int index = 0;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view name = list.substr(start, end - start);
    if (!name.empty()) {
      if (visit(name, index)) return index;
      ++index;
    }
    start = end + 1;
  }
  return -1;
}

}  // namespace

int UserIndex(std::string_view name, std::string_view list) {
  if (name.empty()) return -1;
  return ForEachName(list, [name](std::string_view candidate, int) { return candidate == name; });
}

std::string UserName(std::string_view list, int index) {
  std::string_view found;
  const int at = ForEachName(list, [&](std::string_view candidate, int position) {
    if (position != index) return false;
    found = candidate;
    return true;
  });
  if (at < 0) return MessageText(msg::kUnknownListField.number);
  return std::string(found);
}

}  // namespace tarn
