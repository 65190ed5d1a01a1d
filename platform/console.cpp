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
// terminal is raw, and the handlers that were in place before; read by the
// signal handler, hence plain globals.
struct termios g_cooked_terminal {};

constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
std::array<struct sigaction, kEndingSignals.size()> g_previous_actions{};

// Restores the terminal, then lets the handler that was there before (the
// program's clean-up, or the default action) deal with the signal.
extern "C" void RestoreTerminalAndPassOn(int signal_number) {
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_cooked_terminal);
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
    if (kEndingSignals[i] == signal_number)
      ::sigaction(signal_number, &g_previous_actions[i], nullptr);
  }
  ::raise(signal_number);
}

// Puts the terminal into raw mode for its lifetime. Signals stay enabled
// (Ctrl-C still stops the program); a handler restores the terminal first
// for those signals that are not ignored.
class RawTerminal {
 public:
  RawTerminal() {
    if (::tcgetattr(STDIN_FILENO, &g_cooked_terminal) != 0) return;
    if (g_cooked_terminal.c_cc[VEOF] != _POSIX_VDISABLE)
      end_of_file_ = g_cooked_terminal.c_cc[VEOF];
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndPassOn;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
      if (::sigaction(kEndingSignals[i], nullptr, &g_previous_actions[i]) != 0) continue;
      if (g_previous_actions[i].sa_handler == SIG_IGN) continue;
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
      if (installed_[i]) ::sigaction(kEndingSignals[i], &g_previous_actions[i], nullptr);
    }
  }

  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  int end_of_file() const { return end_of_file_; }

 private:
  bool active_ = false;
  int end_of_file_ = -1;
  std::array<bool, kEndingSignals.size()> installed_{};
};

}  // namespace

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

bool WriteStandardOutput(std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t put = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

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
