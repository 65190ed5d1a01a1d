#include "engine/text/description_reader.h"

#include <cstdio>

#include "engine/support/report.h"
#include "engine/text/description_text.h"
#include "platform/console.h"

namespace tarn {

namespace {

constexpr int kEndOfInput = -1;
constexpr int kCtrlA = 0x01;
constexpr int kBackspace = 0x08;
constexpr int kDelete = 0x7F;  // what most terminals send for Backspace
constexpr int kEscape = 0x1B;
constexpr std::string_view kBell = "\a";
constexpr std::string_view kNewLinePrompt = "\n:";

// Letters, digits, punctuation and the blank are taken; bytes above 127 count
// as letters, so text in UTF-8 can be typed.
bool IsAccepted(int c) { return (c >= 0x20 && c < 0x7F) || c >= 0x80; }

std::string Erasure(std::size_t count) {
  std::string erase;
  for (std::size_t i = 0; i < count; ++i) erase += "\b \b";
  return erase;
}

class DescriptionTyping {
 public:
  explicit DescriptionTyping(DescriptionConsole& console) : console_(console) {}

  void EndLine() {
    text_ += '\n';
    line_start_ = text_.size();
    console_.Echo(kNewLinePrompt);
  }

  void EraseLast() {
    if (text_.size() == line_start_) {
      console_.Echo(kBell);
      return;
    }
    text_.pop_back();
    console_.Echo(Erasure(1));
  }

  void Type(char c) {
    if (text_.size() - line_start_ >= kDescriptionLineWidth) {
      if (c == ' ') {
        EndLine();  // a blank at a full line becomes the line break
        return;
      }
      MoveLastWordToNewLine();
    }
    text_ += c;
    console_.Echo(std::string_view(&c, 1));
  }

  bool IsEmpty() const { return text_.empty(); }

  std::string Finish() {
    if (text_.size() > 1 && text_.back() == '\n') text_.pop_back();
    return std::move(text_);
  }

 private:
  // The line is full: its last word moves to a new line, on screen as well;
  // the blank before it becomes the line break.
  void MoveLastWordToNewLine() {
    const std::size_t blank = text_.find_last_of(' ');
    if (blank == std::string::npos || blank < line_start_) {
      EndLine();
      return;
    }
    const std::string word = text_.substr(blank + 1);
    console_.Echo(Erasure(word.size()));
    text_.resize(blank);
    EndLine();
    text_ += word;
    console_.Echo(word);
  }

  DescriptionConsole& console_;
  std::string text_;
  std::size_t line_start_ = 0;
};

}  // namespace

StandardDescriptionConsole::StandardDescriptionConsole()
    : echo_(platform::StandardInputIsTerminal()) {}

int StandardDescriptionConsole::ReadCharacter() { return platform::ReadConsoleCharacter(); }

void StandardDescriptionConsole::Echo(std::string_view text) {
  if (!echo_) return;
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

namespace {

std::optional<std::string> ReadText(DescriptionConsole& console, bool empty_end_abandons) {
  Report(kStatus, msg::kTextPrompt);
  DescriptionTyping typing(console);
  int previous = kEndOfInput;
  while (true) {
    const int c = console.ReadCharacter();
    if (c == kEndOfInput && empty_end_abandons && typing.IsEmpty()) return std::nullopt;
    if (c == kEndOfInput || c == kCtrlA) break;
    if (c == kEscape) return std::nullopt;
    if (c == '\r' || c == '\n') {
      // A CR LF pair from a file or pipe ends one line, not two.
      if (!(c == '\n' && previous == '\r')) typing.EndLine();
    } else if (c == kBackspace || c == kDelete) {
      typing.EraseLast();
    } else if (IsAccepted(c)) {
      typing.Type(static_cast<char>(c));
    } else {
      console.Echo(kBell);
    }
    previous = c;
  }
  return typing.Finish();
}

}  // namespace

std::optional<std::string> ReadDescription(DescriptionConsole& console) {
  return ReadText(console, false);
}

std::optional<std::string> ReadTypedValue(DescriptionConsole& console) {
  return ReadText(console, true);
}

std::optional<std::string> ReadDescriptionFromConsole() {
  StandardDescriptionConsole console;
  return ReadDescription(console);
}

std::optional<std::string> ReadTypedValueFromConsole() {
  StandardDescriptionConsole console;
  return ReadTypedValue(console);
}

}  // namespace tarn
