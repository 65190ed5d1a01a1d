#include "engine/support/console_host.h"

#include <utility>

#include "engine/support/message_catalogue.h"
#include "platform/console.h"
#include "platform/environment_variables.h"

namespace tarn {
namespace {

// The host shows kinds 10 and 11; 12 and 13 are accepted and show nothing.
constexpr int kSilentKindFirst = 12;
constexpr int kSilentKindLast = 13;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The word itself or its first letter, letter case ignored.
bool ReplyMatchesWord(std::string_view reply, const MessageId& word) {
  reply = TrimBlanks(reply);
  if (reply.empty()) return false;
  if (EqualsWord(reply, word.number)) return true;
  const std::string_view text = MessageText(word.number);
  return reply.size() == 1 && !text.empty() && LowerAscii(reply[0]) == LowerAscii(text[0]);
}

std::string AnswerText(bool yes) {
  return MessageText(yes ? msg::kWordYes.number : msg::kWordNo.number);
}

ConsoleHost::Console WithDefaults(ConsoleHost::Console console) {
  if (console.out == nullptr) console.out = stdout;
  if (console.err == nullptr) console.err = stderr;
  if (!console.input_is_terminal) console.input_is_terminal = platform::StandardInputIsTerminal;
  if (!console.read_line) console.read_line = platform::ReadConsoleLine;
  return console;
}

}  // namespace

PresetAnswer PresetAnswerFromEnvironment() {
  const std::optional<std::string> value =
      platform::GetEnvironmentVariable(MessageText(msg::kEnvAnswer.number));
  if (!value) return PresetAnswer::kNone;
  if (ReplyMatchesWord(*value, msg::kWordYes)) return PresetAnswer::kYes;
  if (ReplyMatchesWord(*value, msg::kWordNo)) return PresetAnswer::kNo;
  return PresetAnswer::kNone;
}

bool ReplyMeansYes(std::string_view reply) { return ReplyMatchesWord(reply, msg::kWordYes); }

ConsoleHost::ConsoleHost() : ConsoleHost(PresetAnswerFromEnvironment()) {}

ConsoleHost::ConsoleHost(PresetAnswer preset) : ConsoleHost(preset, Console{}) {}

ConsoleHost::ConsoleHost(PresetAnswer preset, Console console)
    : preset_(preset), console_(WithDefaults(std::move(console))) {}

void ConsoleHost::ReportMessage(std::string_view text, int kind) {
  if (kind >= kSilentKindFirst && kind <= kSilentKindLast) return;
  // Anything but a result is shown where errors go, so that it is not lost
  // in a script's output.
  std::FILE* stream = kind == kStatus ? console_.out : console_.err;
  std::fwrite(text.data(), 1, text.size(), stream);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stream);
  std::fflush(stream);
}

std::string ConsoleHost::AskQuestion() {
  if (preset_ != PresetAnswer::kNone) return AnswerText(preset_ == PresetAnswer::kYes);
  if (!console_.input_is_terminal()) {
    const std::string note =
        FormatMessage(msg::kNoAnswerAvailable, std::string_view(AnswerText(false)));
    ReportMessage(note, kAlert);
    return AnswerText(false);
  }
  std::fflush(console_.out);
  const std::optional<std::string> reply = console_.read_line();
  return AnswerText(reply && ReplyMeansYes(*reply));
}

}  // namespace tarn
