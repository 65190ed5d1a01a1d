// Parsing the lock and unlock command lines: one optional revision and the
// file name, nothing else.
#include "engine/commands/lock_command.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Parses one command line into `args`; false when the option under the
// cursor was refused (reported).
class LockLineParser {
 public:
  explicit LockLineParser(LockCommandArgs& args) : args_(args) {}

  bool Option(ArgumentCursor& cursor) {
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
  bool revision_seen_ = false;
};

}  // namespace

int ParseLockCommandLine(CommandArguments arguments, LockCommandArgs& args) {
  return ParseCommandLineWith<LockLineParser>("tlock", arguments, args);
}

int ParseUnlockCommandLine(CommandArguments arguments, LockCommandArgs& args) {
  return ParseCommandLineWith<LockLineParser>("tunlock", arguments, args);
}

}  // namespace tarn
