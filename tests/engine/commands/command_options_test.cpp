// The engine commands' option tables: every option in a table is one its
// parser takes, every option outside it is refused before the parser sees
// it, a mistyped option is answered with the nearest correct one, and the
// quiet option is taken alike by every command.
#include "engine/commands/command_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/commands/checkin_command_line.h"
#include "engine/commands/get_command.h"
#include "engine/commands/header_command.h"
#include "engine/commands/label_command.h"
#include "engine/commands/lock_command.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/support/usage.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::RecordingHost;

// Parses a whole command line (argument 0 the command word) and tells
// whether it was accepted and whether the quiet option was taken.
struct ParseOutcome {
  bool accepted = false;
  bool quiet = false;
};
using LineParse = std::function<ParseOutcome(const std::vector<std::string>&)>;

template <class Args>
LineParse ParserOf(int (*parse)(CommandArguments, Args&)) {
  return [parse](const std::vector<std::string>& line) {
    Args args{};
    const int result = parse(line, args);
    return ParseOutcome{result == 1, args.quiet};
  };
}

const std::map<std::string, LineParse>& Parsers() {
  static const std::map<std::string, LineParse> parsers = {
      {"tget", ParserOf(ParseGetCommandLine)},     {"tput", ParserOf(ParseCheckInCommandLine)},
      {"tlock", ParserOf(ParseLockCommandLine)},   {"tunlock", ParserOf(ParseUnlockCommandLine)},
      {"tstamp", ParserOf(ParseLabelCommandLine)}, {"tunstamp", ParserOf(ParseUnlabelCommandLine)},
      {"tmh", ParserOf(ParseHeaderCommandLine)},
  };
  return parsers;
}

std::string Word(const MessageId& id) { return MessageText(id.number); }

class CommandOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    // A refused line reports where its usage is instead of listing it.
    SetUsagePointer([](std::string_view label) { return "help for " + std::string(label); });
  }
  void TearDown() override { SetUsagePointer(nullptr); }

  std::string UnknownText(std::string_view argument) const {
    return FormatMessage(msg::kUnknownOption, argument);
  }

  RecordingHost host_;
};

TEST_F(CommandOptionsTest, EveryCommandHasAParserAndATableWithoutRepeats) {
  ASSERT_EQ(AllEngineCommandOptions().size(), Parsers().size());
  std::set<std::string> subcommands;
  for (const EngineCommandOptions& command : AllEngineCommandOptions()) {
    EXPECT_TRUE(Parsers().contains(std::string(command.word))) << command.word;
    EXPECT_TRUE(subcommands.insert(std::string(command.subcommand)).second) << command.subcommand;
    std::set<std::string> words;
    for (const CommandOption& option : command.options) {
      EXPECT_TRUE(words.insert(Word(*option.word)).second)
          << command.word << " lists -" << Word(*option.word) << " twice";
    }
    EXPECT_TRUE(words.contains(Word(msg::kOptionQuiet))) << command.word;
  }
}

// Each option of a table, with values where it takes them, reaches its
// parser: none is refused as unknown (a refusal of the value is fine here).
TEST_F(CommandOptionsTest, EveryOptionInATableIsOneItsParserTakes) {
  for (const EngineCommandOptions& command : AllEngineCommandOptions()) {
    const LineParse& parse = Parsers().at(std::string(command.word));
    for (const CommandOption& option : command.options) {
      std::string argument = "-" + Word(*option.word);
      std::vector<std::string> line = {std::string(command.word)};
      if (option.value == OptionValue::kAttached) argument += "=" + Word(msg::kWordNow);
      line.push_back(argument);
      if (option.value == OptionValue::kNext) {
        line.insert(line.end(), {"1.1", "1.2"});
      }
      line.push_back("x.c");
      host_.Clear();
      parse(line);
      EXPECT_FALSE(host_.Saw(UnknownText(argument))) << command.word << " " << argument << "\n"
                                                     << host_.All();
    }
  }
}

TEST_F(CommandOptionsTest, AnOptionOutsideTheTableIsRefusedWithTheNearestOne) {
  struct Case {
    const char* word;
    std::string typed;
    std::string nearest;  // empty: none is near enough
  };
  const std::vector<Case> cases = {
      {"tget", "-lokc", "lock"},     // two letters swapped
      {"tget", "-LOKC", "lock"},     // letter case ignored
      {"tget", "-stdot", "stdout"},  // one left out
      {"tget", "-stmp=now", "stamp"},
      {"tget", "-loc", "lock"},  // a beginning of the word
      {"tget", "-bogus", ""},
      {"tget", "-x", ""},  // one letter is too little to guess from
      {"tput", "-quite", "quiet"},
      {"tput", "-txet", "text"},
      {"tput", "-newbrnach", "newbranch"},
      {"tlock", "-lock", ""},  // an option of another command
      {"tlock", "-re", "rev"},
      {"tunstamp", "-rev", ""},
      {"tstamp", "-cpy", "copy"},
      {"tmh", "-desk", "desc"},
      {"tmh", "-acess", "access"},
  };
  for (const Case& c : cases) {
    host_.Clear();
    const ScopedProgramLabel label(c.word);  // as the programs run them
    const ParseOutcome outcome = Parsers().at(c.word)({c.word, c.typed, "x.c"});
    EXPECT_FALSE(outcome.accepted) << c.word << " " << c.typed;
    ASSERT_GE(host_.messages().size(), 2u) << host_.All();
    EXPECT_EQ(host_.messages()[0].text, UnknownText(c.typed)) << host_.All();
    EXPECT_EQ(NearestOptionWord(OptionsOfCommand(c.word), c.typed).value_or(""), c.nearest)
        << c.word << " " << c.typed;
    std::string expected;
    if (!c.nearest.empty()) expected = FormatMessage(msg::kNearestOption, c.nearest);
    const std::string second = host_.messages()[1].text;
    if (expected.empty()) {
      EXPECT_EQ(second.find("did you mean"), std::string::npos) << second;
    } else {
      EXPECT_EQ(second, expected);
    }
    // The last line points to the help, in place of the usage listing.
    EXPECT_EQ(host_.messages().back().text,
              FormatMessage(msg::kSeeHelp, "help for " + std::string(c.word)));
    EXPECT_LE(host_.messages().size(), 3u) << host_.All();
  }
}

TEST_F(CommandOptionsTest, QuietIsTakenByEveryCommandOnceAndOnlyWhenGiven) {
  const std::string quiet = "-" + Word(msg::kOptionQuiet);
  // A complete line for each command, to which the quiet option is added.
  const std::map<std::string, std::vector<std::string>> lines = {
      {"tget", {"x.c"}},
      {"tput", {"x.c"}},
      {"tlock", {"x.c"}},
      {"tunlock", {"x.c"}},
      {"tstamp", {"-" + Word(msg::kOptionLabel), "L", "x.c"}},
      {"tunstamp", {"-" + Word(msg::kOptionLabel), "L", "x.c"}},
      {"tmh", {"-" + Word(msg::kOptionDescription), "x.c"}},
  };
  for (const auto& [word, rest] : lines) {
    std::vector<std::string> line = {word};
    line.insert(line.end(), rest.begin(), rest.end());
    const ParseOutcome plain = Parsers().at(word)(line);
    EXPECT_TRUE(plain.accepted) << word << host_.All();
    EXPECT_FALSE(plain.quiet) << word;

    line.insert(line.begin() + 1, quiet);
    const ParseOutcome quieted = Parsers().at(word)(line);
    EXPECT_TRUE(quieted.accepted) << word << host_.All();
    EXPECT_TRUE(quieted.quiet) << word;

    host_.Clear();
    line.insert(line.begin() + 1, quiet);
    EXPECT_FALSE(Parsers().at(word)(line).accepted) << word;
    EXPECT_TRUE(host_.Saw(FormatMessage(msg::kOptionTwice, Word(msg::kOptionQuiet))))
        << host_.All();
  }
}

TEST_F(CommandOptionsTest, HelpCommandsNameTheSubcommandAPersonTypes) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"tget", "tarn help get"},
      {"tstamp", "tarn help label"},
      {"tunstamp", "tarn help unlabel"},
      {"tmh", "tarn help header"},
      {"tarn log", "tarn help log"},
      {"tarn", "tarn help"},
      {"tget_w", ""},
      {"tarnish", ""},
      {"TARN 2.3", ""},
  };
  for (const auto& [label, help] : cases) EXPECT_EQ(HelpCommandOf(label), help) << label;
}

}  // namespace
}  // namespace tarn
