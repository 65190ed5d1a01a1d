// Parsing the label and remove-label command lines.
#include "engine/commands/label_command.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Reads the label text that starts at the cursor's next argument. `missing`
// is reported when there is no such argument; a text that cannot be read
// (no closing quote, too long, empty) draws message 134 after the reader's
// own message.
std::optional<std::string> TakeLabelText(ArgumentCursor& cursor, CheckedMessage<> missing) {
  if (cursor.TakeValue() == nullptr) {
    Report(kAlert, missing);
    return std::nullopt;
  }
  std::optional<std::string> text = ReadQuotedText(cursor);
  // An empty label could be neither fetched nor removed by name.
  if (!text || text->empty()) {
    Report(kAlert, msg::kBadTextValue);
    return std::nullopt;
  }
  return text;
}

// Parses one label command line; every method handles the option under the
// cursor and returns false when it refused it (reported).
class LabelLineParser {
 public:
  explicit LabelLineParser(LabelCommandArgs& args) : args_(args) {}

  bool Option(ArgumentCursor& cursor) {
    const std::string& argument = cursor.Current();
    if (IsOptionWord(argument, msg::kOptionRevision)) return Revision(cursor);
    if (IsOptionWord(argument, msg::kOptionLabel)) return Label(cursor);
    if (IsOptionWord(argument, msg::kOptionCopyLabel)) return Copy(cursor);
    if (IsAnswerOption(argument)) return TakeAnswer(argument, args_.answer);
    Report(kAlert, msg::kUnknownOption, argument);
    return false;
  }

  bool FileName(const std::string& argument) { return TakeFileName(argument, file_name_); }

  // A file name and one of the label and copy options.
  bool Complete() const { return file_name_.has_value() && (label_seen_ || copy_seen_); }
  const std::optional<std::string>& file_name() const { return file_name_; }

 private:
  bool Revision(ArgumentCursor& cursor) {
    if (copy_seen_) {
      Report(kAlert, msg::kRevisionAfterCopy);
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

  bool Label(ArgumentCursor& cursor) {
    if (!MarkOptionOnce(label_seen_, msg::kOptionLabel)) return false;
    if (copy_seen_) {
      Report(kAlert, msg::kLabelAfterCopy);
      return false;
    }
    std::optional<std::string> text = TakeLabelText(cursor, msg::kLabelMissing);
    if (!text) return false;
    args_.label = std::move(*text);
    return true;
  }

  bool Copy(ArgumentCursor& cursor) {
    if (!MarkOptionOnce(copy_seen_, msg::kOptionCopyLabel)) return false;
    if (label_seen_) {
      Report(kAlert, msg::kCopyAfterLabel);
      return false;
    }
    // The copy labels the revision of an existing label: a revision given
    // as well would be silently ignored.
    if (revision_seen_) {
      Report(kAlert, msg::kCopyAfterRevision);
      return false;
    }
    std::optional<std::string> existing = TakeLabelText(cursor, msg::kCopyValuesMissing);
    if (!existing) return false;
    std::optional<std::string> added = TakeLabelText(cursor, msg::kCopyValuesMissing);
    if (!added) return false;
    args_.label = std::move(*existing);
    args_.newLabel = std::move(*added);
    return true;
  }

  LabelCommandArgs& args_;
  std::optional<std::string> file_name_;
  bool revision_seen_ = false;
  bool label_seen_ = false;
  bool copy_seen_ = false;
};

// The remove-label command line: one label and the file name.
class UnlabelLineParser {
 public:
  explicit UnlabelLineParser(UnlabelCommandArgs& args) : args_(args) {}

  bool Option(ArgumentCursor& cursor) {
    if (!IsOptionWord(cursor.Current(), msg::kOptionLabel)) {
      Report(kAlert, msg::kUnknownOption, cursor.Current());
      return false;
    }
    if (!MarkOptionOnce(label_seen_, msg::kOptionLabel)) return false;
    std::optional<std::string> text = TakeLabelText(cursor, msg::kLabelMissing);
    if (text) args_.label = std::move(*text);
    return text.has_value();
  }

  bool FileName(const std::string& argument) { return TakeFileName(argument, file_name_); }

  bool Complete() const { return file_name_.has_value() && label_seen_; }
  const std::optional<std::string>& file_name() const { return file_name_; }

 private:
  UnlabelCommandArgs& args_;
  std::optional<std::string> file_name_;
  bool label_seen_ = false;
};

}  // namespace

int ParseLabelCommandLine(CommandArguments arguments, LabelCommandArgs& args) {
  return ParseCommandLineWith<LabelLineParser>("tstamp", arguments, args);
}

int ParseUnlabelCommandLine(CommandArguments arguments, UnlabelCommandArgs& args) {
  return ParseCommandLineWith<UnlabelLineParser>("tunstamp", arguments, args);
}

}  // namespace tarn
