// The console host of the command-line programs.
#include "engine/support/console_host.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "engine/support/message_catalogue.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buffer[256];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

class ConsoleHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    ASSERT_NE(out_, nullptr);
    ASSERT_NE(err_, nullptr);
    yes_ = MessageText(msg::kWordYes.number);
    no_ = MessageText(msg::kWordNo.number);
    answer_variable_ = MessageText(msg::kEnvAnswer.number);
    ::unsetenv(answer_variable_.c_str());
  }
  void TearDown() override { ::unsetenv(answer_variable_.c_str()); }

  // A console whose input is a terminal that types `typed` (nothing: end of
  // input), or no terminal at all.
  ConsoleHost::Console Console(bool terminal, std::optional<std::string> typed = std::nullopt) {
    ConsoleHost::Console console;
    console.out = out_.get();
    console.err = err_.get();
    console.input_is_terminal = [terminal] { return terminal; };
    console.read_line = [this, typed] {
      ++lines_read_;
      return typed;
    };
    return console;
  }

  File out_{std::tmpfile()};
  File err_{std::tmpfile()};
  std::string yes_;
  std::string no_;
  std::string answer_variable_;
  int lines_read_ = 0;
};

TEST_F(ConsoleHostTest, ResultsGoToStandardOutputAndErrorsToStandardError) {
  ConsoleHost host(PresetAnswer::kNone, Console(false));
  host.ReportMessage("fetched", kStatus);
  host.ReportMessage("refused\n", kAlert);
  host.ReportMessage("twelve", 12);
  host.ReportMessage("thirteen", 13);
  EXPECT_EQ(Contents(out_.get()), "fetched\n");
  EXPECT_EQ(Contents(err_.get()), "refused\n");
}

TEST_F(ConsoleHostTest, PresetAnswerIsGivenWithoutAsking) {
  ConsoleHost yes_host(PresetAnswer::kYes, Console(true, "no"));
  EXPECT_EQ(yes_host.AskQuestion(), yes_);
  ConsoleHost no_host(PresetAnswer::kNo, Console(true, yes_));
  EXPECT_EQ(no_host.AskQuestion(), no_);
  EXPECT_EQ(lines_read_, 0);
  EXPECT_EQ(Contents(err_.get()), "");
}

TEST_F(ConsoleHostTest, TerminalAnswerIsYesForTheWordOrItsFirstLetter) {
  const std::string upper_yes = [&] {
    std::string word = yes_;
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
  }();
  for (const std::string& reply :
       {yes_, upper_yes, yes_.substr(0, 1), upper_yes.substr(0, 1), "  " + yes_ + " \r"}) {
    ConsoleHost host(PresetAnswer::kNone, Console(true, reply));
    EXPECT_EQ(host.AskQuestion(), yes_) << "'" << reply << "'";
  }
  for (const std::string& reply :
       {no_, std::string(), yes_ + yes_, yes_.substr(0, 1) + "x", std::string("maybe")}) {
    ConsoleHost host(PresetAnswer::kNone, Console(true, reply));
    EXPECT_EQ(host.AskQuestion(), no_) << "'" << reply << "'";
  }
  ConsoleHost ended(PresetAnswer::kNone, Console(true, std::nullopt));
  EXPECT_EQ(ended.AskQuestion(), no_);
}

TEST_F(ConsoleHostTest, WithoutTerminalOrPresetTheAnswerIsNoAndSaidSo) {
  ScopedProgramLabel label("tget");
  ConsoleHost host(PresetAnswer::kNone, Console(false, yes_));
  EXPECT_EQ(host.AskQuestion(), no_);
  EXPECT_EQ(lines_read_, 0);
  const std::string note = Contents(err_.get());
  EXPECT_EQ(note.rfind("tget", 0), 0u) << note;
  EXPECT_NE(note.find(no_), std::string::npos) << note;
  EXPECT_EQ(Contents(out_.get()), "");
}

TEST_F(ConsoleHostTest, EnvironmentPresetsTheAnswer) {
  EXPECT_EQ(PresetAnswerFromEnvironment(), PresetAnswer::kNone);
  ::setenv(answer_variable_.c_str(), yes_.c_str(), 1);
  EXPECT_EQ(PresetAnswerFromEnvironment(), PresetAnswer::kYes);
  ::setenv(answer_variable_.c_str(), no_.substr(0, 1).c_str(), 1);
  EXPECT_EQ(PresetAnswerFromEnvironment(), PresetAnswer::kNo);
  ::setenv(answer_variable_.c_str(), "perhaps", 1);
  EXPECT_EQ(PresetAnswerFromEnvironment(), PresetAnswer::kNone);

  ::setenv(answer_variable_.c_str(), yes_.c_str(), 1);
  ConsoleHost host;  // takes its preset from the environment
  EXPECT_EQ(host.AskQuestion(), yes_);
}

TEST_F(ConsoleHostTest, AnswersReachTheEngineThroughAskYes) {
  ConsoleHost host(PresetAnswer::kYes, Console(false));
  Host* previous = SetHost(&host);
  EXPECT_TRUE(AskYes());
  SetHost(previous);
  ConsoleHost refusing(PresetAnswer::kNone, Console(false));
  previous = SetHost(&refusing);
  EXPECT_FALSE(AskYes());
  SetHost(previous);
}

}  // namespace
}  // namespace tarn
