// The host of the command-line programs: messages go to the console and
// questions are answered at the terminal.
//
// Results (kind 10) go to standard output and refusals and errors (kind 11)
// to standard error, so that a script can keep the two apart. A question is
// answered, in this order, by the answer preset for the whole run (the
// constructor's, else the environment variable named by message 68), by the
// user at the terminal, or, when nobody can be asked, with no, saying so: an
// unattended run never replaces or moves anything on a guess.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/support/report.h"

namespace tarn {

enum class PresetAnswer { kNone, kYes, kNo };

// The answer preset by the environment variable named by message 68: its
// value is the word for yes or for no (message 29 or 18), or the first letter
// of one, letter case ignored. Anything else presets nothing.
PresetAnswer PresetAnswerFromEnvironment();

// Whether `reply` answers yes: the word of message 29 or its first letter,
// letter case ignored, blanks around it allowed.
bool ReplyMeansYes(std::string_view reply);

class ConsoleHost final : public Host {
 public:
  // Where the host writes and reads; the defaults are the process's console.
  struct Console {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::function<bool()> input_is_terminal;                // default: standard input's
    std::function<std::optional<std::string>()> read_line;  // default: a console line
  };

  ConsoleHost();
  explicit ConsoleHost(PresetAnswer preset);
  ConsoleHost(PresetAnswer preset, Console console);

  void ReportMessage(std::string_view text, int kind) override;
  std::string AskQuestion() override;

 private:
  PresetAnswer preset_;
  Console console_;
};

}  // namespace tarn
