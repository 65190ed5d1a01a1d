// Parsing the lock and unlock command lines: one optional revision and the
// file name, nothing else.
#include "engine/commands/lock_command.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Handles the option under the cursor; false when it was refused.
bool ParseLockOption(ArgumentCursor& cursor, bool& revision_seen, LockCommandArgs& args) {
  if (!IsOptionWord(cursor.Current(), msg::kOptionRevision)) {
    Report(kAlert, msg::kUnknownOption, cursor.Current());
    return false;
  }
  if (!MarkOptionOnce(revision_seen, msg::kOptionRevision)) return false;
  const std::string* value = cursor.TakeValue();
  if (value == nullptr) {
    Report(kAlert, msg::kRevisionMissing);
    return false;
  }
  args.revision = ParseSingleRevisionArgument(*value);
  return args.revision.has_value();
}

int ParseLockOrUnlock(CommandArguments arguments, LockCommandArgs& args) {
  args = LockCommandArgs{};
  bool revision_seen = false;
  std::optional<std::string> file_name;
  for (ArgumentCursor cursor(arguments); !cursor.AtEnd(); cursor.Next()) {
    const bool accepted = IsOption(cursor.Current()) ? ParseLockOption(cursor, revision_seen, args)
                                                     : TakeFileName(cursor.Current(), file_name);
    if (!accepted) {
      args = LockCommandArgs{};
      return RefuseCommandLine(arguments);
    }
  }
  if (!file_name) {
    args = LockCommandArgs{};
    return RefuseCommandLine(arguments);
  }
  args.fileName = *file_name;
  return 1;
}

}  // namespace

int ParseLockCommandLine(CommandArguments arguments, LockCommandArgs& args) {
  return ParseLockOrUnlock(arguments, args);
}

int ParseUnlockCommandLine(CommandArguments arguments, LockCommandArgs& args) {
  return ParseLockOrUnlock(arguments, args);
}

}  // namespace tarn
