#include "engine/support/report.h"

#include <cstdio>
#include <vector>

#include "engine/support/message_catalogue.h"

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

std::string FormatMessageArgs(const MessageId& message, std::span<const MessageArg> args) {
  const char* text = MessageText(message.number);
  if (message.use == MessageUse::kRaw || message.use == MessageUse::kWord) return text;
  std::vector<MessageArg> all;
  all.reserve(args.size() + 1);
  if (message.use == MessageUse::kWithoutLabel) {
    all.assign(args.begin(), args.end());
  } else if (message.use == MessageUse::kLabelSecond && !args.empty()) {
    all.push_back(args[0]);
    all.emplace_back(ProgramLabel());
    all.insert(all.end(), args.begin() + 1, args.end());
  } else {
    all.emplace_back(ProgramLabel());
    all.insert(all.end(), args.begin(), args.end());
  }
  return FormatWithArgs(text, all, kMessageBufferSize - 1);
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

bool AskYes() { return EqualsWord(CurrentHost().AskQuestion(), msg::kWordYes.number); }

}  // namespace tarn
