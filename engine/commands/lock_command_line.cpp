// Parsing the lock and unlock command lines: one optional revision and the
// file name, nothing else.
#include "engine/commands/lock_command.h"
#include "engine/support/messages.h"
#include "engine/support/lock_messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Parses one command line into `args`; false when the option under the
// cursor was refused (reported).
class LockLineParser {
 public:
  LockLineParser(LockCommandArgs& args, bool breakAllowed)
      : args_(args), break_allowed_(breakAllowed) {}

  bool Option(ArgumentCursor& cursor) {
    if (break_allowed_ && IsOptionWord(cursor.Current(), msg::kOptionBreak)) {
      if (!MarkOptionOnce(break_seen_, msg::kOptionBreak)) return false;
      args_.breakLock = true;
      return true;
    }
    if (!IsOptionWord(cursor.Current(), msg::kOptionRevision)) {
      Report(kAlert, msg::kUnknownOption, cursor.Current());
      return false;
    }
    if (!MarkOptionOnce(revision_seen_, msg::kOptionRevision)) return false;
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kRevisionMissing);
      return false;
    }
    args_.revision = ParseSingleRevisionArgument(*value);
    return args_.revision.has_value();
  }

  bool FileName(const std::string& argument) { return TakeFileName(argument, file_name_); }

  bool Complete() const { return file_name_.has_value(); }
  const std::optional<std::string>& file_name() const { return file_name_; }

 private:
  LockCommandArgs& args_;
  std::optional<std::string> file_name_;
  bool break_allowed_;
  bool revision_seen_ = false;
  bool break_seen_ = false;
};

class UnlockLineParser : public LockLineParser {
 public:
  explicit UnlockLineParser(LockCommandArgs& args) : LockLineParser(args, true) {}
};

class LockOnlyLineParser : public LockLineParser {
 public:
  explicit LockOnlyLineParser(LockCommandArgs& args) : LockLineParser(args, false) {}
};

}  // namespace

int ParseLockCommandLine(CommandArguments arguments, LockCommandArgs& args) {
  return ParseCommandLineWith<LockOnlyLineParser>("tlock", arguments, args);
}

int ParseUnlockCommandLine(CommandArguments arguments, LockCommandArgs& args) {
  return ParseCommandLineWith<UnlockLineParser>("tunlock", arguments, args);
}

}  // namespace tarn
