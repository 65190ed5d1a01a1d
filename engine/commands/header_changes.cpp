#include "engine/commands/header_changes.h"

#include <algorithm>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/revisions/labels.h"
#include "engine/store/revision_lookup.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/text/description_text.h"

namespace tarn {

namespace {

// The names of a value typed or given for a user list: line feeds separate
// names as commas do; empty names are left out.
std::vector<std::string> NamesOf(std::string_view value) {
  std::vector<std::string> names;
  std::string name;
  for (const char c : value) {
    if (c == ',' || c == '\n') {
      if (!name.empty()) names.push_back(std::move(name));
      name.clear();
    } else {
      name += c;
    }
  }
  if (!name.empty()) names.push_back(std::move(name));
  return names;
}

void AppendName(std::string& list, std::string_view name) {
  if (!list.empty()) list += ',';
  list += name;
}

// The default revision as the note shows it: its number, or the keyword
// for the trunk tip when the header has none.
std::string DefaultBranchText(const LogfileHeader& header) {
  if (!header.defaultRevision || header.fixed._iDefaultRevCount == 0) {
    return MessageText(msg::kWordTrunkTip.number);
  }
  return FormatRevision(*header.defaultRevision);
}

}  // namespace

int ChangeAccessList(LogfileHeader& header, std::string_view value, std::string& note) {
  std::string access;
  std::string modifiers = header.modifierList;
  for (const std::string& name : NamesOf(value)) {
    if (UserIndex(name, modifiers) < 0) AppendName(modifiers, name);
    if (UserIndex(name, access) < 0) AppendName(access, name);
  }
  if (access.empty()) {
    Report(kAlert, msg::kAccessListWithoutNames, value);
    return -1;
  }
  note = FormatMessage(msg::kNoteAccessList, header.accessList, access);
  header.accessList = std::move(access);
  header.modifierList = std::move(modifiers);
  return 1;
}

int ChangeCommentPrefix(LogfileHeader& header, std::string_view value, std::string& note) {
  note = FormatMessage(msg::kNoteCommentPrefix, header.commentPrefix, value);
  header.commentPrefix = std::string(value);
  return 1;
}

int ChangeDescription(LogfileHeader& header, std::string_view value, std::string& note) {
  std::string description = NormaliseDescription(value);
  note = FormatMessage(msg::kNoteDescription, header.description, description);
  header.description = std::move(description);
  return 1;
}

int AddUsers(LogfileHeader& header, std::string_view value, std::string& note) {
  std::string modifiers = header.modifierList;
  for (const std::string& name : NamesOf(value)) {
    if (UserIndex(name, modifiers) >= 0) {
      Report(kAlert, msg::kUserKnownAlready, name);
      return -1;
    }
    AppendName(modifiers, name);
  }
  note = FormatMessage(msg::kNoteUsersAdded, value);
  header.modifierList = std::move(modifiers);
  return 1;
}

int ChangeOwner(LogfileHeader& header, std::string_view value, std::string& note) {
  if (UserIndex(value, header.accessList) < 0) {
    Report(kAlert, msg::kOwnerNotInAccessList, value);
    return -1;
  }
  note = FormatMessage(msg::kNoteOwner, header.owner, value);
  header.owner = std::string(value);
  return 1;
}

int RenameLabel(LogfileHeader& header, std::string_view label, std::string_view value,
                std::int16_t creator, std::string_view file_name, std::string& note) {
  // A label travels inside quotes on command lines and in journal entries.
  std::string text(value);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\'' || c == '"'; }, ' ');
  if (text.size() > kMaxLabelLength) {
    Report(kAlert, msg::kLabelTooLong, static_cast<int>(kMaxLabelLength));
    return -1;
  }
  if (text.empty()) {
    Report(kAlert, msg::kBadTextValue);
    return -1;
  }
  const auto entry =
      std::find_if(header.labels.begin(), header.labels.end(),
                   [label](const LabelRecord& candidate) { return candidate.text == label; });
  if (entry == header.labels.end()) {
    Report(kAlert, msg::kLabelNotFound, label, file_name);
    return -1;
  }
  if (text != label && FindLabel(header, text) != nullptr) {
    Report(kAlert, msg::kLabelKept, text, file_name);
    return -1;
  }
  entry->text = text;
  entry->iVersionSize = static_cast<std::int16_t>(text.size() + 1);
  entry->iCreator = creator;
  note = FormatMessage(msg::kNoteLabelRenamed, text);
  return 1;
}

int ChangeDefaultBranch(LogfileHeader& header, platform::File& stream,
                        std::int64_t first_record_offset, const tarnCommandRevDesc& revision,
                        std::string& note) {
  const int count = revision.iElementCount;
  const bool has_default = header.defaultRevision && header.fixed._iDefaultRevCount > 0;
  if (!has_default && count == 1) return 2;
  if (count < 1 || count > kMaxRevisionElements) return -1;
  // The branch the revision lies on, asking for its newest revision.
  tarnCommandRevDesc branch = revision;
  RevElement& last = branch.elements[static_cast<std::size_t>(count - 1)];
  last.iMinorFlag = kMatchNewest;
  last.iMinor = -1;
  RevisionRecord record;
  switch (LookUpRevision(stream, first_record_offset, branch, record)) {
    case Lookup::kFound:
      break;
    case Lookup::kNotFound:
      Report(kAlert, msg::kDefaultBranchNotFound, FormatRevision(branch));
      return -1;
    case Lookup::kFailed:
      return -1;
  }
  const std::string old_default = DefaultBranchText(header);
  if (count < 2) {
    header.defaultRevision.reset();
    header.fixed._iDefaultRevCount = 0;
  } else {
    header.defaultRevision = branch;
    header.fixed._iDefaultRevCount = static_cast<std::int16_t>(count);
  }
  note = FormatMessage(msg::kNoteDefaultBranch, old_default, DefaultBranchText(header));
  return 1;
}

}  // namespace tarn
