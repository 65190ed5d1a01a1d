#include "platform/console.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace tarn::platform {

namespace {

// Standard input is read with read(2) throughout, never through a buffered
// stream, so that characters and lines can be mixed without one reader
// holding input the other expects.
int ReadByte() {
  unsigned char byte = 0;
  while (true) {
    const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
    if (got == 1) return byte;
    if (got == 0 || errno != EINTR) return -1;
  }
}

// The terminal settings to restore when a signal ends the program while the
// terminal is raw; read by the signal handler, hence plain globals.
struct termios g_cooked_terminal {};

constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

extern "C" void RestoreTerminalAndDie(int signal_number) {
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_cooked_terminal);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Puts the terminal into raw mode for its lifetime. Signals stay enabled
// (Ctrl-C still stops the program); a handler restores the terminal first
// for those signals whose default action would end the program.
class RawTerminal {
 public:
  RawTerminal() {
    if (::tcgetattr(STDIN_FILENO, &g_cooked_terminal) != 0) return;
    if (g_cooked_terminal.c_cc[VEOF] != _POSIX_VDISABLE)
      end_of_file_ = g_cooked_terminal.c_cc[VEOF];
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndDie;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
      if (::sigaction(kEndingSignals[i], nullptr, &previous_[i]) != 0) continue;
      if (previous_[i].sa_handler != SIG_DFL) continue;
      installed_[i] = ::sigaction(kEndingSignals[i], &restore, nullptr) == 0;
    }
    struct termios raw = g_cooked_terminal;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    active_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  }

  ~RawTerminal() {
    if (active_) ::tcsetattr(STDIN_FILENO, TCSANOW, &g_cooked_terminal);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
      if (installed_[i]) ::sigaction(kEndingSignals[i], &previous_[i], nullptr);
    }
  }

  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  int end_of_file() const { return end_of_file_; }

 private:
  bool active_ = false;
  int end_of_file_ = -1;
  std::array<struct sigaction, kEndingSignals.size()> previous_{};
  std::array<bool, kEndingSignals.size()> installed_{};
};

}  // namespace

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

int ReadConsoleCharacter() {
  if (!StandardInputIsTerminal()) return ReadByte();
  const RawTerminal raw;
  const int character = ReadByte();
  if (character >= 0 && character == raw.end_of_file()) return -1;
  return character;
}

std::optional<std::string> ReadConsoleLine() {
  std::string line;
  int character = ReadByte();
  if (character < 0) return std::nullopt;
  while (character >= 0 && character != '\n') {
    line += static_cast<char>(character);
    character = ReadByte();
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace tarn::platform
