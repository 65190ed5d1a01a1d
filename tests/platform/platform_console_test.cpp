#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace tarn::platform {
namespace {

// Puts `fd` in place of standard input for one test.
class ScopedStandardInput {
 public:
  explicit ScopedStandardInput(int fd) : saved_(::dup(STDIN_FILENO)) {
    EXPECT_GE(::dup2(fd, STDIN_FILENO), 0);
  }
  ~ScopedStandardInput() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
  }

 private:
  int saved_;
};

void WriteAll(int fd, std::string_view text) {
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// A pseudo terminal: the master end plays the keyboard, the slave end is the
// console the program reads.
struct PseudoTerminal {
  PseudoTerminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master, 0);
    EXPECT_EQ(::grantpt(master), 0);
    EXPECT_EQ(::unlockpt(master), 0);
    slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    EXPECT_GE(slave, 0);
  }
  ~PseudoTerminal() {
    ::close(slave);
    ::close(master);
  }
  bool Canonical() const {
    struct termios mode {};
    EXPECT_EQ(::tcgetattr(slave, &mode), 0);
    return (mode.c_lflag & ICANON) != 0 && (mode.c_lflag & ECHO) != 0;
  }
  // True when the terminal sent something back to the keyboard side (echo).
  bool EchoedWithin(int milliseconds) const {
    struct pollfd wait_for {
      master, POLLIN, 0
    };
    return ::poll(&wait_for, 1, milliseconds) > 0;
  }

  int master = -1;
  int slave = -1;
};

TEST(PlatformConsole, ReadsCharactersAndLinesFromAPipe) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  WriteAll(ends[1],
           "ab\r\nsecond line\n\xff"
           "last");
  ::close(ends[1]);
  const ScopedStandardInput input(ends[0]);
  ::close(ends[0]);

  EXPECT_FALSE(StandardInputIsTerminal());
  EXPECT_EQ(ReadConsoleCharacter(), 'a');
  EXPECT_EQ(ReadConsoleLine(), "b");  // the rest of the line, without CR LF
  EXPECT_EQ(ReadConsoleLine(), "second line");
  EXPECT_EQ(ReadConsoleCharacter(), 0xff);  // a byte, never mistaken for the end
  EXPECT_EQ(ReadConsoleLine(), "last");     // no line end at the very end
  EXPECT_EQ(ReadConsoleLine(), std::nullopt);
  EXPECT_EQ(ReadConsoleCharacter(), -1);
}

TEST(PlatformConsole, EmptyLinesAreLinesNotTheEnd) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  WriteAll(ends[1], "\n\r\n");
  ::close(ends[1]);
  const ScopedStandardInput input(ends[0]);
  ::close(ends[0]);
  EXPECT_EQ(ReadConsoleLine(), "");
  EXPECT_EQ(ReadConsoleLine(), "");
  EXPECT_EQ(ReadConsoleLine(), std::nullopt);
}

// Reads one character while `keys` are typed, typing only once the terminal
// is raw: keys typed earlier would meet the terminal still in line mode.
int ReadWhileTyping(const PseudoTerminal& terminal, std::string_view keys) {
  std::future<int> read = std::async(std::launch::async, ReadConsoleCharacter);
  for (int i = 0; i < 500 && terminal.Canonical(); ++i) ::usleep(10000);
  EXPECT_FALSE(terminal.Canonical());
  WriteAll(terminal.master, keys);
  // In line mode this read would wait for a line end that never comes.
  EXPECT_EQ(read.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  return read.get();
}

TEST(PlatformConsole, TerminalCharactersArriveUnechoedWithoutAnEnter) {
  PseudoTerminal terminal;
  const ScopedStandardInput input(terminal.slave);
  ASSERT_TRUE(StandardInputIsTerminal());
  ASSERT_TRUE(terminal.Canonical());

  EXPECT_EQ(ReadWhileTyping(terminal, "x"), 'x');
  EXPECT_FALSE(terminal.EchoedWithin(200));
  EXPECT_TRUE(terminal.Canonical());  // line mode and echo are back

  // Ctrl-D is the end of input at a terminal.
  EXPECT_EQ(ReadWhileTyping(terminal, "\x04"), -1);

  // Lines are read in the terminal's own line mode.
  WriteAll(terminal.master, "typed line\n");
  EXPECT_EQ(ReadConsoleLine(), "typed line");
}

TEST(PlatformConsole, TerminalIsRestoredWhenASignalEndsTheProgram) {
  PseudoTerminal terminal;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(terminal.slave, STDIN_FILENO);
    ReadConsoleCharacter();  // waits for a key that never comes
    ::_exit(0);
  }
  // Wait until the child has made the terminal raw.
  for (int i = 0; i < 500 && terminal.Canonical(); ++i) ::usleep(10000);
  ASSERT_FALSE(terminal.Canonical());
  ASSERT_EQ(::kill(child, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(terminal.Canonical());
}

}  // namespace
}  // namespace tarn::platform
