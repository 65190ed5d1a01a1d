#include "engine/text/keyword_expansion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <limits>
#include <new>

#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/store/temporary_files.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "engine/support/whole_file.h"
#include "engine/text/local_date_text.h"
#include "engine/text/revision_history.h"
#include "platform/exit_cleanup.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// The keywords in the order a name is tried after each '$'.
constexpr std::array<const MessageId*, 11> kKeywordOrder{
    &msg::kKeywordLabel,    &msg::kKeywordAuthor, &msg::kKeywordRevision, &msg::kKeywordDate,
    &msg::kKeywordOwner,    &msg::kKeywordHeader, &msg::kKeywordLogfile,  &msg::kKeywordLog,
    &msg::kKeywordWorkfile, &msg::kKeywordName,   &msg::kKeywordNotice,
};

constexpr char kNoticeSign = static_cast<char>(0xA9);

std::optional<std::string>& DisplayNameStorage() {
  static std::optional<std::string> name;
  return name;
}

// The values every keyword but Log takes, worked out once per expansion.
struct KeywordValues {
  std::string revision;
  std::string date;
  std::string author;
  std::string owner;
  std::string header;
  std::string logfile;
  std::string workfile;
  std::string name;
  std::string label;
  std::string notice;

  const std::string& For(int number) const {
    switch (number) {
      case msg::kKeywordRevision.number:
        return revision;
      case msg::kKeywordDate.number:
        return date;
      case msg::kKeywordAuthor.number:
        return author;
      case msg::kKeywordOwner.number:
        return owner;
      case msg::kKeywordHeader.number:
        return header;
      case msg::kKeywordLogfile.number:
        return logfile;
      case msg::kKeywordLog.number:
        return logfile;
      case msg::kKeywordWorkfile.number:
        return workfile;
      case msg::kKeywordName.number:
        return name;
      case msg::kKeywordLabel.number:
        return label;
      default:
        return notice;
    }
  }
};

std::string FullPathOrAsGiven(const std::string& path) {
  std::string full = platform::FullPathName(path);
  return full.empty() ? path : full;
}

// The logfile argument up to its first '.', looking only at its final
// component: a '.' in a directory ("./main.c", "../src/x.c") would otherwise
// leave a name that says nothing.
std::string ModuleName(const std::string& argument) {
  const std::size_t component = argument.size() - platform::FinalComponent(argument).size();
  const std::size_t dot = argument.find('.', component);
  return argument.substr(0, dot);
}

KeywordValues ComputeValues(const KeywordExpansionContext& context) {
  const LogfileHeader& header = *context.header;
  KeywordValues values;
  values.revision = FormatRevision(context.revisionNumber);
  values.date = LocalDateText(context.revision.FileEditDate);
  values.author = UserName(header.modifierList, context.revision.CreatorIndex);
  values.owner = header.owner;
  values.logfile = FullPathOrAsGiven(context.logfilePath);
  values.workfile = WorkfileDisplayName().value_or(context.workfilePath);
  values.header = values.workfile + "  " + MessageText(msg::kKeywordRevision.number) + ":" +
                  values.revision + "  " + values.date + "  " + values.owner;
  values.name = ModuleName(context.logfileArgument) + " " + context.revisionLabel;
  values.label = context.revisionLabel;
  values.notice = std::string(1, kNoticeSign) + " " + MessageText(msg::kNoticeText.number);
  return values;
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// One keyword found in the text.
struct KeywordMatch {
  int number = 0;
  std::string_view name;
  std::size_t fieldStart = 0;               // binary: the first byte of the field
  std::size_t closing = 0;                  // the closing '$'
  std::optional<std::size_t> historyLimit;  // text Log keyword: "$Log12$" gives 12
};

class KeywordExpander {
 public:
  KeywordExpander(const KeywordExpansionContext& context, std::span<const std::uint8_t> text,
                  ByteBuffer& out)
      : context_(context), text_(text), out_(out), values_(ComputeValues(context)) {}

  int Run() {
    std::size_t position = 0;
    while (position < text_.size()) {
      const auto* start = text_.data() + position;
      const auto* dollar =
          static_cast<const std::uint8_t*>(std::memchr(start, '$', text_.size() - position));
      if (dollar == nullptr) break;
      const std::size_t after = static_cast<std::size_t>(dollar - text_.data()) + 1;
      Append(text_.subspan(position, after - position));
      position = after;
      const std::optional<KeywordMatch> match = Recognise(after);
      if (!match) continue;
      if (Write(*match) < 0) return -1;
      position = match->closing + 1;
    }
    Append(text_.subspan(position));
    return 1;
  }

 private:
  bool StartsWith(std::size_t at, std::string_view name) const {
    return name.size() <= text_.size() - at &&
           std::memcmp(text_.data() + at, name.data(), name.size()) == 0;
  }

  std::optional<KeywordMatch> Recognise(std::size_t at) const {
    for (const MessageId* keyword : kKeywordOrder) {
      const std::string_view name = MessageText(keyword->number);
      // An empty name would turn every "$$" into a keyword.
      if (name.empty() || !StartsWith(at, name)) continue;
      std::optional<KeywordMatch> match =
          context_.binary ? RecogniseField(keyword->number, name, at + name.size())
                          : RecogniseMarker(keyword->number, name, at + name.size());
      if (match) return match;
    }
    return std::nullopt;
  }

  // Text: the name directly followed by '$' (the Log keyword also by digits
  // and '$').
  std::optional<KeywordMatch> RecogniseMarker(int number, std::string_view name,
                                              std::size_t after_name) const {
    if (after_name < text_.size() && text_[after_name] == '$') {
      return KeywordMatch{number, name, after_name, after_name, std::nullopt};
    }
    if (number != msg::kKeywordLog.number) return std::nullopt;
    std::size_t end = after_name;
    std::size_t limit = 0;
    while (end < text_.size() && IsDigit(text_[end])) {
      constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max() / 10 - 10;
      limit = std::min(limit, kMax) * 10 + (text_[end] - '0');
      ++end;
    }
    if (end == after_name || end >= text_.size() || text_[end] != '$') return std::nullopt;
    return KeywordMatch{number, name, end, end, limit};
  }

  // Binary: the name, ':', a field of at least one byte, '$'.
  std::optional<KeywordMatch> RecogniseField(int number, std::string_view name,
                                             std::size_t after_name) const {
    if (after_name >= text_.size() || text_[after_name] != ':') return std::nullopt;
    const std::size_t field = after_name + 1;
    if (field >= text_.size()) return std::nullopt;
    const auto* closing = static_cast<const std::uint8_t*>(
        std::memchr(text_.data() + field, '$', text_.size() - field));
    if (closing == nullptr) return std::nullopt;
    const auto closing_at = static_cast<std::size_t>(closing - text_.data());
    if (closing_at == field) return std::nullopt;  // no room at all
    return KeywordMatch{number, name, field, closing_at, std::nullopt};
  }

  int Write(const KeywordMatch& match) {
    if (context_.binary) {
      WriteField(match);
      return 1;
    }
    Append(match.name);
    if (match.number == msg::kKeywordNotice.number) {
      // "$Copyright © notice $": the sign stands where the colon would.
      Append(" ");
      Append(values_.notice);
      Append(" $");
      return 1;
    }
    Append(": ");
    Append(values_.For(match.number));
    Append(" $");
    if (match.number == msg::kKeywordLog.number) return WriteHistory(match);
    return 1;
  }

  // The field keeps its width: a blank, the value cut to fit, blanks. A
  // field of one byte has no room for a value and holds a single blank.
  void WriteField(const KeywordMatch& match) {
    const std::size_t width = match.closing - match.fieldStart;
    std::string field(width, ' ');
    if (width >= 2) {
      const std::string& value = values_.For(match.number);
      const std::size_t shown = std::min(value.size(), width - 2);
      field.replace(1, shown, value, 0, shown);
    }
    Append(match.name);
    Append(":");
    Append(field);
    Append("$");
  }

  int WriteHistory(const KeywordMatch& match) {
    if (context_.logfile == nullptr) return 1;
    if (!ancestors_) {
      std::deque<RevisionRecord> collected;
      if (CollectAncestors(*context_.logfile, context_.firstRevisionOffset, context_.revisionNumber,
                           collected) < 0) {
        return -1;
      }
      ancestors_ = std::move(collected);
    }
    const std::size_t limit = match.historyLimit.value_or(static_cast<std::size_t>(
        std::max<std::int16_t>(context_.header->fixed._iRevisionCount, 0)));
    std::string history;
    if (AppendRevisionHistory(*context_.header, *context_.logfile, *ancestors_, limit, history) <
        0) {
      return -1;
    }
    Append(history);
    return 1;
  }

  void Append(std::span<const std::uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  void Append(std::string_view text) { out_.insert(out_.end(), text.begin(), text.end()); }

  const KeywordExpansionContext& context_;
  std::span<const std::uint8_t> text_;
  ByteBuffer& out_;
  KeywordValues values_;
  std::optional<std::deque<RevisionRecord>> ancestors_;
};

// Restores a stream's position when the expansion is done with it.
class PositionKeeper {
 public:
  explicit PositionKeeper(platform::File* file) : file_(file) {
    if (file_ == nullptr) return;
    if (const std::optional<std::int64_t> now = file_->Tell()) position_ = *now;
  }
  ~PositionKeeper() {
    if (file_ != nullptr && position_ >= 0) file_->Seek(position_);
  }
  PositionKeeper(const PositionKeeper&) = delete;
  PositionKeeper& operator=(const PositionKeeper&) = delete;

 private:
  platform::File* file_;
  std::int64_t position_ = -1;  // unknown: nothing to restore
};

int WriteWholeFile(const std::string& path, const ByteBuffer& contents) {
  std::optional<platform::File> file =
      platform::File::Open(path, platform::OpenMode::kWriteTruncate);
  if (!file) {
    const SourceLocation here = SourceLocation::current();
    Report(kAlert, msg::kTempFileOpenFailed, path, SourceModuleName(here),
           static_cast<int>(here.line()));
    return -1;
  }
  if (!file->WriteAll(contents) || !file->Close()) {
    ReportWriteFailure();
    return -1;
  }
  return 1;
}

}  // namespace

int ExpandKeywordsInText(const KeywordExpansionContext& context, std::span<const std::uint8_t> text,
                         ByteBuffer& expanded) {
  expanded.clear();
  try {
    PositionKeeper keep_position(context.logfile);
    expanded.reserve(text.size() + text.size() / 8);
    return KeywordExpander(context, text, expanded).Run();
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
}

int ExpandKeywords(const KeywordExpansionContext& context) {
  try {
    ByteBuffer fetched;
    if (ReadWholeFileOrReport(context.fetchedFile, fetched) != 1) return -1;
    ByteBuffer expanded;
    if (ExpandKeywordsInText(context, fetched, expanded) < 0) return -1;
    if (expanded == fetched) return 1;  // no keyword: the file is right as it is
    fetched = ByteBuffer();             // only one copy of the text need stay in memory

    const std::optional<std::string> second =
        context.environment != nullptr ? MakeTemporaryFile(*context.environment) : std::nullopt;
    if (!second) {
      Report(kAlert, msg::kTempNameFailed);
      return -1;
    }
    const platform::RemoveOnEarlyExit interrupted(*second);
    if (WriteWholeFile(*second, expanded) < 0) {
      platform::DeleteFile(*second);
      return -1;
    }
    // Replacing by rename: the fetched file is at every moment either the
    // unexpanded or the expanded text.
    if (!platform::RenameFile(*second, context.fetchedFile)) {
      Report(kAlert, msg::kRenameFailed, *second, context.fetchedFile);
      platform::DeleteFile(*second);
      return -1;
    }
    return 1;
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
}

void SetWorkfileDisplayName(std::string_view name) { DisplayNameStorage() = std::string(name); }

void ClearWorkfileDisplayName() { DisplayNameStorage().reset(); }

const std::optional<std::string>& WorkfileDisplayName() { return DisplayNameStorage(); }

}  // namespace tarn
