// The quiet option as a user gives it: every engine command, through tarn
// and through its own program, is silent with it and speaks without it;
// messages through tarn name the subcommand as typed, the journal keeps the
// command's own word.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;

// One step of a file's life, as a subcommand of tarn and as a program.
struct Step {
  std::string subcommand;
  std::string program;
  std::vector<std::string> arguments;
  std::string workfile_text;  // written before the step when not empty
  bool speaks = true;         // says something without the option
};

const std::vector<Step>& Steps() {
  static const std::vector<Step> steps = {
      {"put", "tput", {"-text", "first", "a.c"}, "one\n"},
      {"get", "tget", {"-lock", "-yes", "a.c"}, ""},
      {"put", "tput", {"-text", "second", "a.c"}, "one\ntwo\n"},
      // The check-in released the lock: unlock says there is none.
      {"unlock", "tunlock", {"a.c"}, ""},
      {"lock", "tlock", {"a.c"}, ""},
      {"label", "tstamp", {"-v", "release", "a.c"}, ""},
      {"unlabel", "tunstamp", {"-v", "release", "a.c"}, ""},
      // A header change that works says nothing even without the option.
      {"header", "tmh", {"-desc", "-text", "about a.c", "a.c"}, "", false},
  };
  return steps;
}

// A working directory with its logfile directory and journal.
class Box {
 public:
  explicit Box(const std::string& root) : root_(root) {
    fs::create_directories(root_ + "/work/TARN");
    setup_.workingDirectory = root_ + "/work";
    setup_.environment = {
        {"TARNUSER", "ann"},
        {"TARNJOURNALPATH", root_ + "/"},
        {"TARNTEMP", root_ + "/"},
        {"TARNRETRY", "2"},
    };
  }

  ProgramResult Run(const Step& step, bool through_tarn, bool quiet) {
    if (!step.workfile_text.empty()) {
      const std::string path = setup_.workingDirectory + "/a.c";
      if (fs::exists(path)) fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
      testing::WriteText(path, step.workfile_text);
    }
    std::vector<std::string> arguments;
    if (through_tarn) arguments.push_back(step.subcommand);
    if (quiet) arguments.emplace_back("-quiet");
    arguments.insert(arguments.end(), step.arguments.begin(), step.arguments.end());
    return testing::RunBuiltProgram(through_tarn ? "tarn" : step.program, arguments, setup_);
  }

  std::string Journal() const { return testing::ReadText(root_ + "/tarn.jnl"); }

 private:
  std::string root_;
  ProgramSetup setup_;
};

TEST(QuietOption, SilencesEveryCommandThroughBothEntryPoints) {
  testing::TempDir root;
  for (const bool through_tarn : {true, false}) {
    const std::string entry = through_tarn ? "tarn" : "own";
    Box loud(root.File(entry + "-loud"));
    Box quiet(root.File(entry + "-quiet"));
    for (const Step& step : Steps()) {
      const std::string name = entry + " " + step.subcommand;
      // Done, or (the unlock with no lock to release) nothing done.
      const ProgramResult spoken = loud.Run(step, through_tarn, false);
      ASSERT_TRUE(spoken.status == 0 || spoken.status == 3) << name << "\n" << spoken.err;
      // Without the option the step says what it did, under the name typed.
      if (step.speaks) {
        ASSERT_NE(spoken.out, "") << name;
        const std::string label = through_tarn ? "tarn " + step.subcommand : step.program;
        EXPECT_EQ(spoken.out.rfind(label + ":", 0), 0u) << name << "\n" << spoken.out;
      }

      const ProgramResult silent = quiet.Run(step, through_tarn, true);
      EXPECT_EQ(silent.status, spoken.status) << name << "\n" << silent.err;
      EXPECT_EQ(silent.out, "") << name;
      EXPECT_EQ(silent.err, "") << name;
    }
    // Both did the same to their logfiles, and the journals carry the
    // commands' own words whichever way they were run.
    for (const Box* box : {&loud, &quiet}) {
      const std::string journal = box->Journal();
      // (The unlock found nothing to change, so it has no entry.)
      for (const char* word : {"tput", "tget", "tlock", "tstamp", "tunstamp", "tmh"}) {
        EXPECT_NE(journal.find("," + std::string(word) + " "), std::string::npos)
            << entry << " " << word << "\n"
            << journal;
      }
      EXPECT_EQ(journal.find("tarn "), std::string::npos) << journal;
    }
  }
}

}  // namespace
}  // namespace tarn
