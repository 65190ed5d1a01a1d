#include "tools/tarn/revision_selection.h"

#include <charconv>

namespace tarn::cli {

namespace {

// Revision numbers are 16-bit in the logfile.
constexpr int kMaxNumber = 32767;

std::pair<int, int> LastPair(const RevisionNumbers& numbers) {
  return {numbers[numbers.size() - 2], numbers.back()};
}

// The line a revision lies on: its numbers without the last one.
RevisionNumbers LineOf(const RevisionNumbers& revision) {
  return RevisionNumbers(revision.begin(), revision.end() - 1);
}

// The line a range runs along: the trunk (all its major numbers), or a
// revision's branch.
RevisionNumbers RangeLineOf(const RevisionNumbers& revision) {
  return revision.size() == 2 ? RevisionNumbers{} : LineOf(revision);
}

}  // namespace

std::optional<RevisionNumbers> ParseRevisionNumbers(std::string_view text) {
  RevisionNumbers numbers;
  while (true) {
    const std::size_t dot = text.find('.');
    const std::string_view piece = text.substr(0, dot);
    int number = 0;
    const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), number);
    if (piece.empty() || error != std::errc() || end != piece.data() + piece.size() || number < 0 ||
        number > kMaxNumber) {
      return std::nullopt;
    }
    numbers.push_back(number);
    if (dot == std::string_view::npos) return numbers;
    text.remove_prefix(dot + 1);
  }
}

std::optional<RevisionSelection> RevisionSelection::Parse(std::string_view text) {
  RevisionSelection selection;
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    std::optional<RevisionNumbers> numbers = ParseRevisionNumbers(text);
    if (!numbers) return std::nullopt;
    selection.kind_ = numbers->size() % 2 == 0 ? Kind::kOne : Kind::kLine;
    selection.numbers_ = std::move(*numbers);
    return selection;
  }
  const std::string_view from_text = text.substr(0, colon);
  const std::string_view to_text = text.substr(colon + 1);
  if (from_text.empty() && to_text.empty()) return std::nullopt;
  selection.kind_ = Kind::kRange;
  std::optional<RevisionNumbers> line;
  for (const auto& [end_text, end] :
       {std::pair{from_text, &selection.from_}, std::pair{to_text, &selection.to_}}) {
    if (end_text.empty()) continue;
    std::optional<RevisionNumbers> numbers = ParseRevisionNumbers(end_text);
    if (!numbers || numbers->size() % 2 != 0) return std::nullopt;
    if (line && *line != RangeLineOf(*numbers)) return std::nullopt;
    line = RangeLineOf(*numbers);
    *end = LastPair(*numbers);
  }
  selection.numbers_ = std::move(*line);
  return selection;
}

bool RevisionSelection::Selects(const RevisionNumbers& revision) const {
  switch (kind_) {
    case Kind::kAll:
      return true;
    case Kind::kOne:
      return revision == numbers_;
    case Kind::kLine:
      return revision.size() == numbers_.size() + 1 && LineOf(revision) == numbers_;
    case Kind::kRange: {
      if (revision.size() < 2 || RangeLineOf(revision) != numbers_) return false;
      const std::pair<int, int> last = LastPair(revision);
      return (!from_ || *from_ <= last) && (!to_ || last <= *to_);
    }
  }
  return false;
}

}  // namespace tarn::cli
