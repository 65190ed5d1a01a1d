#include "engine/support/report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "platform/error_text.h"

namespace tarn {

void MessageArgumentsDoNotMatchSignature() {}

namespace {

constexpr std::string_view kDefaultProgramLabel = "TARN 2.3";

std::string& LabelStorage() {
  static std::string label(kDefaultProgramLabel);
  return label;
}

// Plain console host used until a program installs its own.
class FallbackConsoleHost final : public Host {
 public:
  void ReportMessage(std::string_view text, int kind) override {
    std::FILE* stream = kind == kAlert ? stderr : stdout;
    std::fwrite(text.data(), 1, text.size(), stream);
    if (text.empty() || text.back() != '\n') std::fputc('\n', stream);
    std::fflush(stream);
  }
  std::string AskQuestion() override { return MessageText(msg::kWordNo.number); }
};

// A text argument cut in its middle to `keep` bytes with "..." standing for
// what went: the start and the end of a path say the most.
std::string CutInTheMiddle(std::string_view text, std::size_t keep) {
  constexpr std::string_view kEllipsis = "...";
  if (text.size() <= keep) return std::string(text);
  if (keep <= kEllipsis.size()) return std::string(kEllipsis);
  const std::size_t head = (keep - kEllipsis.size() + 1) / 2;
  const std::size_t tail = keep - kEllipsis.size() - head;
  return std::string(text.substr(0, head)) + std::string(kEllipsis) +
         std::string(text.substr(text.size() - tail));
}

// Formats `text` with `args`; when the result would not fit the message
// buffer, the longest text arguments are cut in the middle first, so that
// the message's own words (often its explanation, at the end) survive.
std::string FormatFitting(std::string_view text, std::vector<MessageArg> args) {
  constexpr std::size_t kLimit = kMessageBufferSize - 1;
  constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1) / 2;
  std::string full = FormatWithArgs(text, args, kUnlimited);
  std::vector<std::string> shortened;
  shortened.reserve(args.size());  // the views into it stay valid
  for (std::size_t round = 0; round < args.size() && full.size() > kLimit; ++round) {
    std::size_t longest = args.size();
    std::size_t longestSize = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const auto* view = std::get_if<std::string_view>(&args[i].value());
      if (view != nullptr && view->size() > longestSize) {
        longest = i;
        longestSize = view->size();
      }
    }
    if (longest == args.size()) break;
    const std::size_t excess = full.size() - kLimit;
    const std::size_t keep = longestSize > excess ? longestSize - excess : 0;
    const std::string_view original = std::get<std::string_view>(args[longest].value());
    shortened.push_back(CutInTheMiddle(original, keep));
    args[longest] = MessageArg(std::string_view(shortened.back()));
    full = FormatWithArgs(text, args, kUnlimited);
  }
  if (full.size() > kLimit) full.resize(kLimit);
  return full;
}

Host*& HostStorage() {
  static Host* host = nullptr;
  return host;
}

}  // namespace

Host& CurrentHost() {
  static FallbackConsoleHost fallback;
  Host* host = HostStorage();
  return host != nullptr ? *host : fallback;
}

Host* SetHost(Host* host) {
  Host* previous = HostStorage();
  HostStorage() = host;
  return previous;
}

const std::string& ProgramLabel() { return LabelStorage(); }

void SetProgramLabel(std::string_view label) { LabelStorage() = std::string(label); }

ScopedProgramLabel::ScopedProgramLabel(std::string_view label) : previous_(ProgramLabel()) {
  SetProgramLabel(label);
}

ScopedProgramLabel::~ScopedProgramLabel() { SetProgramLabel(previous_); }

namespace {

std::optional<std::string>& ShownLabelStorage() {
  static std::optional<std::string> label;
  return label;
}

}  // namespace

ScopedMessageLabel::ScopedMessageLabel(std::string_view label) : previous_(ShownLabelStorage()) {
  ShownLabelStorage() = std::string(label);
}

ScopedMessageLabel::~ScopedMessageLabel() { ShownLabelStorage() = previous_; }

const std::string& MessageLabel() {
  return ShownLabelStorage() ? *ShownLabelStorage() : ProgramLabel();
}

std::string FormatMessageArgs(const MessageId& message, std::span<const MessageArg> args) {
  const char* text = MessageText(message.number);
  if (message.use == MessageUse::kRaw || message.use == MessageUse::kWord) return text;
  std::vector<MessageArg> all;
  all.reserve(args.size() + 1);
  if (message.use == MessageUse::kWithoutLabel) {
    all.assign(args.begin(), args.end());
  } else if (message.use == MessageUse::kLabelSecond && !args.empty()) {
    all.push_back(args[0]);
    all.emplace_back(MessageLabel());
    all.insert(all.end(), args.begin() + 1, args.end());
  } else {
    all.emplace_back(MessageLabel());
    all.insert(all.end(), args.begin(), args.end());
  }
  return FormatFitting(text, std::move(all));
}

void ReportFormatted(int kind, const MessageId& message, std::span<const MessageArg> args) {
  CurrentHost().ReportMessage(FormatMessageArgs(message, args), kind);
}

void ReportRaw(MessageKind kind, const MessageId& message) {
  CurrentHost().ReportMessage(MessageText(message.number), kind);
}

std::string SourceModuleName(const SourceLocation& where) {
  std::string_view path = where.file_name();
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.find('.');
  return std::string(path.substr(0, dot));
}

void ReportFault(CheckedMessage<std::string_view, int> message, SourceLocation where) {
  const std::string module = SourceModuleName(where);
  const MessageArg args[] = {MessageArg(module), MessageArg(static_cast<long long>(where.line()))};
  ReportFormatted(kAlert, message.id, args);
}

void ReportWriteFailure() {
  const int code = errno;
  Report(kAlert, msg::kWriteFailedBecause, platform::ErrorText(code));
  errno = code;
}

void ReportSystemFailure(CheckedMessage<std::string_view, std::string_view> message,
                         std::string_view subject, int code) {
  const std::string reason = platform::ErrorText(code);
  const MessageArg args[] = {MessageArg(subject), MessageArg(reason)};
  ReportFormatted(kAlert, message.id, args);
}

void ReportSystemFailure(CheckedMessage<std::string_view, std::string_view> message,
                         std::string_view subject) {
  ReportSystemFailure(message, subject, errno);
}

namespace {

MessageId DamageWord(DamageKind kind) {
  switch (kind) {
    case DamageKind::kCutShort:
      return msg::kDamageCutShort;
    case DamageKind::kBadHeaderField:
      return msg::kDamageHeaderField;
    case DamageKind::kBadRecordField:
      return msg::kDamageRecordField;
    case DamageKind::kRecordOrder:
      return msg::kDamageRecordOrder;
    case DamageKind::kBadDescription:
      return msg::kDamageDescription;
    case DamageKind::kBadData:
      return msg::kDamageData;
    case DamageKind::kHeaderDisagrees:
      return msg::kDamageHeaderDisagrees;
  }
  return msg::kDamageRecordField;
}

}  // namespace

void ReportDamage(DamageKind kind) {
  const std::string_view how = MessageText(DamageWord(kind).number);
  Report(kAlert, msg::kLogfileDamaged, how);
}

bool AskYes() { return EqualsWord(CurrentHost().AskQuestion(), msg::kWordYes.number); }

}  // namespace tarn
