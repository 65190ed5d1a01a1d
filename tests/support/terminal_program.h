// A built program run at a pseudo-terminal of its own, as a person at a
// terminal runs it: the test waits for what it writes, types what the person
// would type, sends it signals and collects its end. The program is the
// leader of a new session whose controlling terminal is the pseudo-terminal,
// so a typed Ctrl-C reaches it as SIGINT.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/program_runner.h"

namespace tarn::testing {

class TerminalProgram {
 public:
  // Starts `program` (a name in the build's program directory, or in
  // setup.programDirectory); setup.input is not used: input is typed.
  TerminalProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const ProgramSetup& setup);
  // A program still running is killed and collected.
  ~TerminalProgram();
  TerminalProgram(const TerminalProgram&) = delete;
  TerminalProgram& operator=(const TerminalProgram&) = delete;

  // Reads what the program writes until `text` has appeared in it at or
  // after offset `from`; false when the program ends or half a minute
  // passes first (a test's safety net, not a measure of speed).
  bool WaitFor(std::string_view text, std::size_t from = 0);
  // Sends `text` as typed at the keyboard.
  void Type(std::string_view text);
  void Signal(int signal_number);
  // Waits for the program's end (at most `seconds`, then kills it) and
  // returns its status: the exit status, or 128 + the signal that ended it.
  int Wait(int seconds = 30);

  // Everything the program wrote (standard output and error alike), as far
  // as it has been read.
  const std::string& Output() const { return output_; }
  // The terminal's settings as they are now: after Wait, as the program
  // left them.
  termios Settings() const;

 private:
  // Reads what arrives within `milliseconds`; false when nothing more can.
  bool ReadSome(int milliseconds);
  // Reads what has arrived already.
  void Drain();

  pid_t pid_ = -1;
  int master_ = -1;
  int terminal_ = -1;  // the test's own descriptor of the program's terminal
  std::string output_;
  int status_ = -1;
};

}  // namespace tarn::testing
