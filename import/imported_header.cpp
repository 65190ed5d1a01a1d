#include "import/imported_header.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/format/user_list.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/text/comment_prefix.h"
#include "import/number_mapping.h"
#include "import/removed_file.h"

namespace tarn::rcs {

namespace {

// The keyword modes whose texts a logfile gives back as co does.
bool ModeIsKept(std::string_view mode) {
  return mode.empty() || mode == "kv" || mode == "kvl" || mode == "o" || mode == "b";
}

bool CanBeListed(std::string_view user) {
  return !user.empty() && user.find(',') == std::string_view::npos &&
         user.find('\0') == std::string_view::npos;
}

void AddUser(std::string& list, std::string_view user) {
  if (user.empty() || UserIndex(user, list) >= 0) return;
  if (!list.empty()) list.push_back(',');
  list.append(user);
}

// The file's access list, or, when it has none (everybody may), the
// settings' list and everybody who worked on the file; the importing user,
// who owns the logfile, always.
std::string JoinedAccessList(const History& history, const tarnEnvironVars& env,
                             const ImportChoices& choices) {
  if (choices.access_list_given) return env.accessList;
  std::string list;
  for (const std::string& user : history.access) AddUser(list, user);
  if (list.empty()) {
    list = env.accessList;
    for (const HistoryRevision& revision : history.revisions) AddUser(list, revision.author);
    for (const auto& lock : history.locks) AddUser(list, lock.first);
  }
  AddUser(list, env.userName);
  return list;
}

std::uint16_t ImportedAttributes(const History& history, const tarnEnvironVars& env,
                                 const ImportChoices& choices) {
  auto attributes = static_cast<std::uint16_t>(env.attributes & kLogfileAttributeBits);
  if (history.strict || !history.locks.empty()) {
    attributes |= kAttrCheckLock;
  } else {
    attributes &= static_cast<std::uint16_t>(~kAttrCheckLock);
  }
  if (history.expand == "b") attributes |= kAttrBinaryFile;
  if (history.expand == "b" || history.expand == "o") {
    attributes &= static_cast<std::uint16_t>(~kAttrExpandKeywords);
  }
  return static_cast<std::uint16_t>(choices.attributes.ApplyTo(attributes) & kLogfileAttributeBits);
}

void ReportLosses(const History& history, std::string_view name) {
  if (!ModeIsKept(history.expand)) {
    Report(kStatus, msg::kImportKeywordModeLost, name, std::string_view(history.expand));
  }
  int other_states = 0;
  for (const HistoryRevision& revision : history.revisions) {
    if (!revision.state.empty() && revision.state != "Exp") ++other_states;
  }
  if (other_states > 0) Report(kStatus, msg::kImportStatesLost, name, other_states);
}

// The branch a symbol names: 1.2.1, or 1.2.0.4 (a branch CVS made, 1.2.4);
// none for a revision.
std::optional<Number> NamedBranch(const Number& number) {
  if (number.size() % 2 == 1) return number;
  if (number.size() >= 4 && number[number.size() - 2] == 0) {
    Number branch = number;
    branch.erase(branch.end() - 2);
    return branch;
  }
  return std::nullopt;
}

// What a symbol's label names: the symbol's number, but for a branch that
// has no revision in the file, its branch point (what a checkout of the
// branch gives).
Number LabelledNumber(const History& history, const Number& number) {
  const std::optional<Number> branch = NamedBranch(number);
  if (!branch || branch->size() < 3) return number;
  const bool has_revisions = std::any_of(
      history.revisions.begin(), history.revisions.end(), [&](const HistoryRevision& revision) {
        return revision.number.size() == branch->size() + 1 &&
               std::equal(branch->begin(), branch->end(), revision.number.begin());
      });
  if (has_revisions) return number;
  return Number(branch->begin(), branch->end() - 1);
}

Number TrunkTip(const History& history) {
  Number tip;
  for (const HistoryRevision& revision : history.revisions) {
    if (revision.number.size() == 2) tip = revision.number;
  }
  return tip;
}

}  // namespace

int BuildImportedHeader(const History& history, std::string_view workfile, std::string_view name,
                        const tarnEnvironVars& env, const ImportChoices& choices,
                        LogfileHeader& header) {
  std::vector<std::string_view> users;
  for (const std::string& user : history.access) users.push_back(user);
  for (const HistoryRevision& revision : history.revisions) users.push_back(revision.author);
  for (const auto& lock : history.locks) users.push_back(lock.first);
  users.push_back(env.userName);
  for (std::size_t i = 0; i < users.size(); ++i) {
    const bool importer = i + 1 == users.size();  // may have no name at all
    if (importer && users[i].empty()) continue;
    if (!CanBeListed(users[i])) {
      Report(kAlert, msg::kImportBadUserName, name, users[i]);
      return -1;
    }
  }
  header = LogfileHeader{};
  header.fixed._iAttributes = ImportedAttributes(history, env, choices);
  header.accessList = JoinedAccessList(history, env, choices);
  header.modifierList = header.accessList;
  for (const std::string_view user : users) AddUser(header.modifierList, user);
  header.owner = env.userName.empty() ? history.revisions.back().author : env.userName;
  header.commentPrefix = history.comment
                             ? *history.comment
                             : ChooseCommentPrefix(CommentPrefixList(env.commentPrefix), workfile);
  header.description = history.description;
  if (history.removal) {
    if (!header.description.empty() && header.description.back() != '\n') header.description += '\n';
    header.description += RemovalLine(*history.removal) + "\n";
  }
  header.supplementalInfo.assign(kSupplementalInfoSize, 0);
  ReportLosses(history, name);
  return 1;
}

int AddLabelsAndDefault(const History& history, std::string_view name, LogfileHeader& header) {
  const int importer = UserIndex(header.owner, header.modifierList);
  std::vector<std::pair<std::string, Number>> symbols;
  if (history.removal && !history.revisions.empty()) {
    symbols.emplace_back(std::string(kRemovedLabelPrefix) + FormatNumber(history.removal->number),
                         TrunkTip(history));
  }
  for (const auto& [symbol, number] : history.symbols) {
    symbols.emplace_back(symbol, LabelledNumber(history, number));
  }
  for (const auto& [symbol, number] : symbols) {
    std::optional<LabelRecord> label = SymbolLabel(symbol, number);
    if (!label) {
      Report(kAlert, msg::kImportNumberTooLarge, name, FormatNumber(number));
      return -1;
    }
    label->iCreator = static_cast<std::int16_t>(importer);
    header.labels.push_back(std::move(*label));
  }
  if (history.defaultBranch) {
    const Number& branch = *history.defaultBranch;
    std::optional<tarnCommandRevDesc> descriptor =
        branch.size() % 2 == 0 ? RevisionDescriptor(branch) : BranchDescriptor(branch);
    if (!descriptor) {
      Report(kAlert, msg::kImportNumberTooLarge, name, FormatNumber(branch));
      return -1;
    }
    // A default branch on the trunk is what a logfile does anyway.
    if (branch.size() > 1) header.defaultRevision = *descriptor;
  }
  return 1;
}

}  // namespace tarn::rcs
