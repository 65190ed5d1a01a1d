// Commands ended by SIGINT, SIGTERM or SIGHUP at any moment: at a question,
// while a description is typed, between any two bytes they write. Each
// leaves no lock file and no temporary or half-written file, a logfile that
// is byte for byte and mode for mode the old one (or, once the change had
// begun to be put in place, the whole new one), the terminal as it was, and
// ends with the shell's status for the signal after one line saying so.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/program_runner.h"
#include "tests/support/team_scratch.h"
#include "tests/support/terminal_program.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::TeamScratch;
using testing::TerminalProgram;
using testing::LongestFixedWords;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }


constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The logfile as the command found it: its bytes and its mode.
struct LogfileState {
  std::vector<std::uint8_t> bytes;
  std::uint32_t mode = 0;
  bool operator==(const LogfileState&) const = default;
};

class InterruptedCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    for (const char* name : {"work", "logs", "tmp", "journal"}) {
      fs::create_directory(dir_.File(name));
    }
    setup_.workingDirectory = dir_.File("work");
    setup_.environment = {
        {Word(msg::kEnvLogfileDirectory), dir_.File("logs")},
        {Word(msg::kEnvUserName), "ann"},
        {Word(msg::kEnvAccessList), "ann"},
        {Word(msg::kEnvTempDirectory), dir_.File("tmp") + "/"},
        {Word(msg::kEnvJournalPath), dir_.File("journal") + "/"},
        {Word(msg::kEnvRetryCount), "1"},
    };
    Write("one\n");
    ASSERT_EQ(Run("tput", {Opt(msg::kOptionText), "first", "m.c"}).status, 0);
  }

  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& extra = {}) {
    ProgramSetup setup = setup_;
    for (const auto& [name, value] : extra) setup.environment[name] = value;
    return testing::RunBuiltProgramWithin(program, arguments, setup, 60'000'000);
  }

  void Write(const std::string& text) {
    fs::remove(Workfile());
    testing::WriteText(Workfile(), text);
  }

  std::string Workfile() const { return dir_.File("work/m.c"); }
  std::string Logfile() const { return dir_.File("logs/m.d"); }

  LogfileState Logged() const {
    return {testing::ReadBytes(Logfile()), TeamScratch::ModeOf(Logfile())};
  }

  // Nothing but the logfile and the workfile is left: no lock file, no
  // replacement or backup, no temporary file.
  void ExpectNothingLeft(const std::string& where) const {
    EXPECT_EQ(TeamScratch::Entries(dir_.File("logs")), std::vector<std::string>{"m.d"}) << where;
    EXPECT_EQ(TeamScratch::Entries(dir_.File("work")), std::vector<std::string>{"m.c"}) << where;
    EXPECT_TRUE(TeamScratch::Entries(dir_.File("tmp")).empty()) << where;
  }

  static std::string SignalName(int signal_number) {
    return signal_number == SIGINT ? "SIGINT" : signal_number == SIGTERM ? "SIGTERM" : "SIGHUP";
  }

  // Ends `program` with `signal_number` once it shows `cue`, and checks
  // what it leaves. Ctrl-C is typed, as a person stops a program.
  void InterruptAt(TerminalProgram& program, const std::string& cue, int signal_number,
                   const std::string& left_workfile) {
    const std::string where = SignalName(signal_number) + " at \"" + cue + "\"";
    const LogfileState before = Logged();
    ASSERT_TRUE(program.WaitFor(cue)) << where << program.Output();
    if (signal_number == SIGINT) {
      program.Type("\x03");
    } else {
      program.Signal(signal_number);
    }
    EXPECT_EQ(program.Wait(), 128 + signal_number) << where << program.Output();
    EXPECT_NE(program.Output().find(LongestFixedWords(msg::kInterruptedUnchanged)),
              std::string::npos)
        << where << program.Output();
    EXPECT_TRUE(Logged() == before) << where;
    EXPECT_EQ(testing::ReadText(Workfile()), left_workfile) << where;
    ExpectNothingLeft(where);
    // A new terminal starts in line mode with echo, as the program found it.
    constexpr tcflag_t kCooked = ICANON | ECHO;
    EXPECT_EQ(program.Settings().c_lflag & kCooked, kCooked) << where;
  }

  testing::TempDir dir_;
  ProgramSetup setup_;
};

TEST_F(InterruptedCommandsTest, AtTheReplaceQuestion) {
  for (const int signal_number : kSignals) {
    Write("my own edit\n");
    TerminalProgram get("tget", {Opt(msg::kOptionLock), "m.c"}, setup_);
    InterruptAt(get, LongestFixedWords(msg::kAskReplaceWritable), signal_number,
                "my own edit\n");
  }
}

TEST_F(InterruptedCommandsTest, WhileADescriptionIsTyped) {
  ASSERT_EQ(Run("tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"}).status, 0);
  for (const int signal_number : kSignals) {
    Write("one\ntwo\n");
    // The tarn program and the single-command program alike.
    const bool through_tarn = signal_number != SIGTERM;
    TerminalProgram put(through_tarn ? "tarn" : "tput",
                        through_tarn ? std::vector<std::string>{"put", "m.c"}
                                     : std::vector<std::string>{"m.c"},
                        setup_);
    ASSERT_TRUE(put.WaitFor(LongestFixedWords(msg::kTextPrompt))) << put.Output();
    put.Type("half a desc");
    InterruptAt(put, "half a desc", signal_number, "one\ntwo\n");
  }
}

// Points in a run of `bytes` written bytes: every one of the first few,
// then spread out to the end and beyond.
std::vector<std::size_t> StopPoints(std::size_t bytes) {
  std::vector<std::size_t> points;
  for (std::size_t at = 0; at < 24; ++at) points.push_back(at);
  for (std::size_t at = 24; at < bytes + 64; at += 1 + bytes / 40) points.push_back(at);
  return points;
}

struct WritingCommand {
  const char* what;
  std::string program;
  std::vector<std::string> arguments;
  bool check_in;  // needs a lock held and a changed workfile first
};

// A signal at any byte a command writes: before the change begins to be put
// in place, nothing was changed; after, the change is completed first. In
// both cases nothing is left behind and the status is the signal's.
TEST_F(InterruptedCommandsTest, AtAnyByteOfAWrite) {
  const std::vector<WritingCommand> commands = {
      {"check-in", "tput", {Opt(msg::kOptionText), "second", "m.c"}, true},
      {"check-in through tarn", "tarn", {"put", Opt(msg::kOptionText), "second", "m.c"}, true},
      {"lock", "tarn", {"lock", "m.c"}, false},
      {"check-out", "tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"}, false},
  };
  const std::string unchanged = LongestFixedWords(msg::kInterruptedUnchanged);
  const std::string completed = LongestFixedWords(msg::kInterruptedCompleted);
  // Each command starts from the logfile as it is now: 1.0, unlocked.
  const LogfileState first = Logged();
  for (const WritingCommand& command : commands) {
    auto prepare = [&] {
      ::chmod(Logfile().c_str(), 0644);
      testing::WriteBytes(Logfile(), first.bytes);
      ::chmod(Logfile().c_str(), first.mode & 07777);
      if (command.check_in) {
        ASSERT_EQ(Run("tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"}).status, 0);
        Write("one\ntwo\n");
      } else {
        Write("one\n");
        ::chmod(Workfile().c_str(), 0444);
      }
    };
    const std::size_t bytes = first.bytes.size() * 3 + 400;
    bool ran_through = false;
    const std::vector<std::size_t> points = StopPoints(bytes);
    for (std::size_t i = 0; i < points.size() && !ran_through; ++i) {
      const int signal_number = kSignals[i % 3];
      const std::string where =
          std::string(command.what) + ", " + SignalName(signal_number) + " at byte " +
          std::to_string(points[i]);
      prepare();
      const LogfileState before = Logged();
      const ProgramResult result =
          Run(command.program, command.arguments,
              {{"TARN_FAULT_KILL_AT", std::to_string(points[i])},
               {"TARN_FAULT_KILL_SIGNAL", std::to_string(signal_number)}});
      if (result.status == 0) {
        ran_through = true;  // past its last byte
        continue;
      }
      ASSERT_EQ(result.status, 128 + signal_number) << where << result.out << result.err;
      ExpectNothingLeft(where);
      const bool nothing_changed = result.err.find(unchanged) != std::string::npos;
      EXPECT_NE(nothing_changed, result.err.find(completed) != std::string::npos)
          << where << result.err;
      if (nothing_changed) {
        EXPECT_TRUE(Logged() == before) << where;
      } else {
        // The new logfile, whole: the next command reads it.
        const ProgramResult log = Run("tarn", {"log", "m.c"});
        EXPECT_EQ(log.status, 0) << where << log.err;
      }
    }
    EXPECT_TRUE(ran_through) << command.what;
  }
}

}  // namespace
}  // namespace tarn
