#include "tests/support/terminal_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace tarn::testing {

namespace {

using Clock = std::chrono::steady_clock;

int StatusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }

}  // namespace

TerminalProgram::TerminalProgram(const std::string& program,
                                 const std::vector<std::string>& arguments,
                                 const ProgramSetup& setup) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  const char* name = ::ptsname(master_);
  if (name == nullptr) throw std::runtime_error("no pseudo-terminal name");
  const std::string terminal_name = name;
  // Kept open by the test, so that the terminal's settings can be read after
  // the program has ended.
  terminal_ = ::open(terminal_name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal_ < 0) throw std::runtime_error("cannot open the pseudo-terminal");

  const ProgramLaunch launch(program, arguments, setup);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Only async-signal-safe calls from here on.
    ::setsid();
    const int child_terminal = ::open(terminal_name.c_str(), O_RDWR);
    if (child_terminal < 0 || ::ioctl(child_terminal, TIOCSCTTY, 0) != 0) ::_exit(126);
    for (int fd = 0; fd < 3; ++fd) ::dup2(child_terminal, fd);
    if (child_terminal > 2) ::close(child_terminal);
    launch.RunInChild();
  }
}

TerminalProgram::~TerminalProgram() {
  if (status_ < 0 && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int raw = 0;
    while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
    }
  }
  if (terminal_ >= 0) ::close(terminal_);
  if (master_ >= 0) ::close(master_);
}

bool TerminalProgram::ReadSome(int milliseconds) {
  pollfd ready{master_, POLLIN, 0};
  const int polled = ::poll(&ready, 1, milliseconds);
  if (polled <= 0) return true;
  char buffer[4096];
  const ssize_t got = ::read(master_, buffer, sizeof buffer);
  if (got > 0) {
    output_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && errno == EINTR;
}

bool TerminalProgram::WaitFor(std::string_view text, std::size_t from) {
  constexpr int kSafetySeconds = 30;
  const Clock::time_point until = Clock::now() + std::chrono::seconds(kSafetySeconds);
  auto seen = [&] { return output_.find(text, from) != std::string::npos; };
  while (!seen()) {
    if (Clock::now() > until) return false;
    ReadSome(100);
    // A program that ended writes nothing more.
    int raw = 0;
    if (status_ < 0 && ::waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = StatusOf(raw);
      Drain();
      return seen();
    }
  }
  return true;
}

void TerminalProgram::Drain() {
  pollfd more{master_, POLLIN, 0};
  while (::poll(&more, 1, 0) > 0 && ReadSome(0)) {
  }
}

void TerminalProgram::Type(std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(master_, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) throw std::runtime_error("cannot type at the pseudo-terminal");
    done += static_cast<std::size_t>(put);
  }
}

void TerminalProgram::Signal(int signal_number) {
  if (status_ < 0) ::kill(pid_, signal_number);
}

int TerminalProgram::Wait(int seconds) {
  const Clock::time_point until = Clock::now() + std::chrono::seconds(seconds);
  while (status_ < 0) {
    int raw = 0;
    const pid_t ended = ::waitpid(pid_, &raw, WNOHANG);
    if (ended == pid_) {
      status_ = StatusOf(raw);
      break;
    }
    if (Clock::now() > until) {
      ::kill(pid_, SIGKILL);
      while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
      }
      status_ = StatusOf(raw);
      break;
    }
    ReadSome(20);
  }
  Drain();  // whatever it wrote last
  return status_;
}

termios TerminalProgram::Settings() const {
  termios settings{};
  ::tcgetattr(terminal_, &settings);
  return settings;
}

}  // namespace tarn::testing
