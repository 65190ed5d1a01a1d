// Completion for tarn: the words offered are the subcommands and, after a
// subcommand, exactly the options its parser's table holds; the installed
// bash function offers what tarn lists, and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/commands/command_options.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/test_support.h"
#include "tools/tarn/subcommands.h"
#include "tools/tarn/tarn_program.h"

namespace tarn::cli {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> words) {
  std::ranges::sort(words);
  return words;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of(" \n", start);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (stop > start) words.push_back(text.substr(start, stop - start));
    start = stop + 1;
  }
  return words;
}

// What the bash function offers for `words` (the last one being completed),
// with the built tarn first on PATH.
std::string BashOffers(const std::vector<std::string>& words) {
  std::string array;
  for (const std::string& word : words) array += " '" + word + "'";
  const std::string script = "source '" + testing::SourceDir() +
                             "/tools/tarn/completion.bash'; COMP_WORDS=(" + array +
                             " ); COMP_CWORD=" + std::to_string(words.size() - 1) +
                             "; _tarn; printf '%s\\n' \"${COMPREPLY[@]}\"";
  testing::TempDir dir;
  testing::WriteText(dir.File("script"), script);
  const std::string command =
      "PATH='" + testing::BinDir() + "':\"$PATH\" bash '" + dir.File("script") + "'";
  struct Closer {
    void operator()(std::FILE* pipe) const { pclose(pipe); }
  };
  const std::unique_ptr<std::FILE, Closer> pipe(popen(command.c_str(), "r"));
  std::string out;
  char buffer[512];
  std::size_t got = 0;
  while (pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
    out.append(buffer, got);
  }
  return out;
}

class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }
};

TEST_F(CompletionTest, FirstWordsAreTheSubcommandsAndTarnsOwnOptions) {
  std::vector<std::string> expected = {"help", "--help", "--version"};
  for (const Subcommand& subcommand : AllSubcommands()) expected.emplace_back(subcommand.name);
  EXPECT_EQ(Sorted(CompletionWords({})), Sorted(expected));
  const std::vector<std::string> help = {"help"};
  EXPECT_EQ(CompletionWords(help).size(), AllSubcommands().size());
}

// Each subcommand offers its table's options and --help: every one offered
// is one its parser knows, and every one its parser knows is offered.
TEST_F(CompletionTest, OptionsOfEachSubcommandAreThoseOfItsParsersTable) {
  for (const Subcommand& subcommand : AllSubcommands()) {
    const std::vector<std::string> before = {std::string(subcommand.name)};
    const std::vector<std::string> offered = CompletionWords(before);
    const std::span<const CommandOption> table = SubcommandOptions(subcommand);
    ASSERT_EQ(offered.size(), table.size() + 1) << subcommand.name;
    EXPECT_EQ(offered.back(), "--help");
    std::set<std::string> distinct(offered.begin(), offered.end());
    EXPECT_EQ(distinct.size(), offered.size()) << subcommand.name;
    for (std::size_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(offered[i], "-" + std::string(MessageText(table[i].word->number)));
      EXPECT_NE(FindCommandOption(table, offered[i]), nullptr) << subcommand.name << offered[i];
    }
  }
  // The engine's subcommands use the engine commands' tables themselves.
  for (const EngineCommandOptions& command : AllEngineCommandOptions()) {
    const Subcommand* subcommand = FindSubcommand(command.subcommand);
    ASSERT_NE(subcommand, nullptr) << command.subcommand;
    EXPECT_EQ(SubcommandOptions(*subcommand).data(), command.options.data()) << command.word;
  }
}

TEST_F(CompletionTest, OptionsThatNoParserTakesAreNeverOffered) {
  const std::vector<std::string> import = {"import"};
  EXPECT_EQ(Sorted(CompletionWords(import)), Sorted({"-check", "-set", "--help"}));
  const std::vector<std::string> log = {"log"};
  EXPECT_EQ(Sorted(CompletionWords(log)),
            Sorted({"-header", "-locked", "-rev", "-json", "--help"}));
  const std::vector<std::string> unknown = {"frob"};
  EXPECT_TRUE(CompletionWords(unknown).empty());
}

TEST_F(CompletionTest, TheBashFunctionOffersWhatTarnLists) {
  EXPECT_EQ(Sorted(Split(BashOffers({"tarn", ""}))), Sorted(CompletionWords({})));
  EXPECT_EQ(Split(BashOffers({"tarn", "lo"})), (std::vector<std::string>{"lock", "log"}));
  for (const Subcommand& subcommand : AllSubcommands()) {
    const std::vector<std::string> before = {std::string(subcommand.name)};
    EXPECT_EQ(Sorted(Split(BashOffers({"tarn", std::string(subcommand.name), "-"}))),
              Sorted(CompletionWords(before)))
        << subcommand.name;
  }
  EXPECT_EQ(Split(BashOffers({"tarn", "get", "-lo"})), (std::vector<std::string>{"-lock"}));
  EXPECT_EQ(Split(BashOffers({"tarn", "import", "-k"})), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarn::cli
