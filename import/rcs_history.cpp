#include "import/rcs_history.h"

#include <deque>
#include <map>

#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "import/edit_script.h"
#include "import/rcs_date.h"

namespace tarn::rcs {

std::optional<std::size_t> History::Find(const Number& number) const {
  for (std::size_t i = 0; i < revisions.size(); ++i) {
    if (revisions[i].number == number) return i;
  }
  return std::nullopt;
}

namespace {

bool SamePrefix(const Number& a, const Number& b, std::size_t length) {
  return a.size() >= length && b.size() >= length &&
         std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(length), b.begin());
}

class TreeWalk {
 public:
  TreeWalk(RcsFile& file, std::string_view name, History& history)
      : file_(file), name_(name), history_(history), reached_(file.deltas.size(), false) {}

  bool Walk() {
    if (!file_.head) {
      Report(kAlert, msg::kImportNoRevisions, name_);
      return false;
    }
    if (!WalkTrunk()) return false;
    // Each revision's branches, in the order the revisions were placed, so
    // that a branch comes after its branch point.
    for (std::size_t i = 0; i < history_.revisions.size(); ++i) {
      const std::vector<Number> branches = DeltaOf(history_.revisions[i].number)->branches;
      for (const Number& first : branches) {
        if (!WalkBranch(i, first)) return false;
      }
    }
    for (std::size_t i = 0; i < file_.deltas.size(); ++i) {
      if (!reached_[i]) return RefuseTree(file_.deltas[i].number);
    }
    return true;
  }

 private:
  bool RefuseTree(const Number& number) {
    Report(kAlert, msg::kRcsBadTree, name_, FormatNumber(number));
    return false;
  }

  Delta* DeltaOf(const Number& number) {
    const auto found = file_.deltaIndex.find(number);
    return found == file_.deltaIndex.end() ? nullptr : &file_.deltas[found->second];
  }

  // Marks the delta `number` reached; refuses one that is missing or was
  // reached before (a loop, or a revision linked twice).
  Delta* Reach(const Number& number) {
    const auto found = file_.deltaIndex.find(number);
    if (found == file_.deltaIndex.end()) {
      Report(kAlert, msg::kRcsMissingDelta, name_, FormatNumber(number));
      return nullptr;
    }
    if (reached_[found->second]) {
      RefuseTree(number);
      return nullptr;
    }
    reached_[found->second] = true;
    Delta& delta = file_.deltas[found->second];
    if (!delta.hasText) {
      Report(kAlert, msg::kRcsMissingText, name_, FormatNumber(number));
      return nullptr;
    }
    return &delta;
  }

  std::optional<HistoryRevision> Take(Delta& delta, std::string text) {
    std::optional<std::int64_t> date = ParseRcsDate(delta.date);
    if (!date) {
      Report(kAlert, msg::kRcsBadDate, name_, FormatNumber(delta.number),
             std::string_view(delta.date));
      return std::nullopt;
    }
    HistoryRevision revision;
    revision.number = delta.number;
    revision.date = *date;
    revision.author = delta.author;
    revision.state = delta.state;
    revision.log = std::move(delta.log);
    revision.text = std::move(text);
    delta.text.clear();
    delta.text.shrink_to_fit();
    return revision;
  }

  std::optional<std::string> Apply(const std::string& source, const Delta& delta) {
    std::variant<std::string, ScriptFault> applied = ApplyEditScript(source, delta.text);
    if (const ScriptFault* fault = std::get_if<ScriptFault>(&applied)) {
      Report(kAlert, msg::kRcsBadEditScript, name_, FormatNumber(delta.number), fault->line);
      return std::nullopt;
    }
    return std::move(std::get<std::string>(applied));
  }

  // The head is whole; each older trunk revision is its script applied to
  // the text of the revision before it in the chain.
  bool WalkTrunk() {
    std::vector<HistoryRevision> newest_first;
    std::optional<Number> number = file_.head;
    while (number) {
      if (number->size() != 2 ||
          (!newest_first.empty() && !(*number < newest_first.back().number))) {
        return RefuseTree(*number);
      }
      Delta* delta = Reach(*number);
      if (delta == nullptr) return false;
      std::optional<std::string> text = newest_first.empty()
                                            ? std::optional<std::string>(delta->text)
                                            : Apply(newest_first.back().text, *delta);
      if (!text) return false;
      std::optional<HistoryRevision> revision = Take(*delta, std::move(*text));
      if (!revision) return false;
      newest_first.push_back(std::move(*revision));
      number = delta->next;
    }
    for (auto it = newest_first.rbegin(); it != newest_first.rend(); ++it) {
      if (!history_.revisions.empty()) it->base = history_.revisions.size() - 1;
      history_.revisions.push_back(std::move(*it));
    }
    return true;
  }

  // A branch from its first revision on, each a script applied to the text
  // of the one before it (the branch point for the first).
  bool WalkBranch(std::size_t point, const Number& first) {
    const Number point_number = history_.revisions[point].number;
    std::optional<Number> number = first;
    std::size_t base = point;
    while (number) {
      const Number& previous = history_.revisions[base].number;
      const bool opens = base == point;
      const bool placed = number->size() == point_number.size() + 2 &&
                          SamePrefix(*number, point_number, point_number.size()) &&
                          (opens || (SamePrefix(*number, previous, number->size() - 1) &&
                                     number->back() > previous.back()));
      if (!placed) return RefuseTree(*number);
      Delta* delta = Reach(*number);
      if (delta == nullptr) return false;
      std::optional<std::string> text = Apply(history_.revisions[base].text, *delta);
      if (!text) return false;
      std::optional<HistoryRevision> revision = Take(*delta, std::move(*text));
      if (!revision) return false;
      revision->base = base;
      revision->startsBranch = opens;
      base = history_.revisions.size();
      history_.revisions.push_back(std::move(*revision));
      number = delta->next;
    }
    return true;
  }

  RcsFile& file_;
  std::string_view name_;
  History& history_;
  std::vector<bool> reached_;
};

}  // namespace

std::optional<History> BuildHistory(RcsFile file, std::string_view name) {
  History history;
  if (!TreeWalk(file, name, history).Walk()) return std::nullopt;
  for (const auto& [user, number] : file.locks) {
    if (!history.Find(number)) {
      Report(kAlert, msg::kRcsUnknownLock, name, std::string_view(user), FormatNumber(number));
      return std::nullopt;
    }
  }
  history.defaultBranch = std::move(file.branch);
  history.access = std::move(file.access);
  history.symbols = std::move(file.symbols);
  history.locks = std::move(file.locks);
  history.strict = file.strict;
  history.comment = std::move(file.comment);
  history.expand = file.expand.value_or("");
  history.description = std::move(file.description);
  return history;
}

}  // namespace tarn::rcs
