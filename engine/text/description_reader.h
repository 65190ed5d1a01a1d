// Reading a description typed at the console.
//
// When a check-in (or the creation of a logfile) is given no description on
// its command line, the user types one: lines of at most 70 characters,
// wrapped at the last blank as they are typed, Backspace to correct, Escape
// to give up, Ctrl-A or the end of input to finish.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarn {

// Where the reader takes its characters from and shows what was typed.
class DescriptionConsole {
 public:
  virtual ~DescriptionConsole() = default;
  // The next character as an unsigned byte value; -1 at the end of input.
  virtual int ReadCharacter() = 0;
  // Shows typed text, prompts, erasures and the bell.
  virtual void Echo(std::string_view text) = 0;
};

// Standard input, echoing to standard output only when the input is a
// terminal (read in raw mode, so nothing else shows what is typed).
class StandardDescriptionConsole final : public DescriptionConsole {
 public:
  StandardDescriptionConsole();
  int ReadCharacter() override;
  void Echo(std::string_view text) override;

 private:
  bool echo_;
};

// Reports the prompt (message 180) and reads the description; its lines are
// separated by line feeds. Nothing when the user abandoned it with Escape.
std::optional<std::string> ReadDescription(DescriptionConsole& console);

// The same, from the standard console.
std::optional<std::string> ReadDescriptionFromConsole();

// A value typed for a header field: as ReadDescription, but the end of input
// before anything was typed (Ctrl-D at once, or standard input from
// /dev/null in an unattended run) abandons it too, so that looking at a
// value never replaces it with nothing. An empty value is given explicitly.
std::optional<std::string> ReadTypedValue(DescriptionConsole& console);
std::optional<std::string> ReadTypedValueFromConsole();

}  // namespace tarn
