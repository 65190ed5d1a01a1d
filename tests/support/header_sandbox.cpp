#include "tests/support/header_sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/commands/header_command.h"
#include "engine/commands/label_command.h"
#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"

namespace tarn::testing {

namespace {

template <class Args, class Parse, class Run>
int ParseAndRun(std::vector<std::string> words, tarnEnvironVars& env, Parse parse, Run run) {
  const ScopedProgramLabel label(words.front());
  Args args;
  if (parse(words, args) != 1) return -1;
  return run(args, env);
}

}  // namespace

HeaderSandbox::HeaderSandbox() {
  LoadCatalogue();
  logs_ = root_.File("logs");
  std::filesystem::create_directory(logs_);
  std::filesystem::create_directory(root_.File("tmp"));
  env.logfileDirectory = logs_;
  env.tempDirectory = root_.File("tmp") + "/";
  env.journalPath = root_.File("");
  env.journalName = "journal.txt";
  env.userName = "bob";
  env.retryCount = 1;
  logfile_ = *LogfileNameFromWorkfile("main.c", logs_);
}

LogfileBuilder HeaderSandbox::Standard(std::uint16_t attributes) {
  LogfileBuilder b;
  b.Attributes(attributes).Access("alice,bob,dave").Modifiers("alice,bob,carol").Owner("alice");
  b.CommentPrefix("// ").Description("the module");
  b.SupplementalInfo("/work/main.c", 0, 1'000'000, 12);
  b.AddRevision({.major = 1,
                 .minor = 2,
                 .tip = 1,
                 .putDate = 300,
                 .description = "third",
                 .data = "text of 1.2\n"});
  b.AddRevision({.major = 1,
                 .minor = 1,
                 .branchCount = 1,
                 .putDate = 200,
                 .description = "second",
                 .data = "delta 1.1"});
  b.AddRevision({.major = 1,
                 .minor = 1,
                 .depth = 1,
                 .putDate = 210,
                 .description = "b1",
                 .data = "delta 1.1.1.1"});
  b.AddRevision({.major = 1,
                 .minor = 2,
                 .depth = 1,
                 .tip = 1,
                 .putDate = 220,
                 .description = "b2",
                 .data = "delta 1.1.1.2"});
  b.AddRevision(
      {.major = 1, .minor = 0, .putDate = 100, .description = "first", .data = "delta 1.0"});
  b.AddLabel({{1, 0}}, "OLD", 0);
  b.AddLabel({{1, 1}, {1, -1}}, "FLOAT", 1);
  return b;
}

void HeaderSandbox::Write(const LogfileBuilder& builder) {
  builder.WriteTo(logfile_);
  written_ = builder.Bytes();
  writtenHeaderSize_ = builder.HeaderBytes().size();
}

int HeaderSandbox::Label(std::vector<std::string> words) {
  return ParseAndRun<LabelCommandArgs>(std::move(words), env, ParseLabelCommandLine, LabelRevision);
}

int HeaderSandbox::Unlabel(std::vector<std::string> words) {
  return ParseAndRun<UnlabelCommandArgs>(std::move(words), env, ParseUnlabelCommandLine,
                                         RemoveLabel);
}

int HeaderSandbox::ModifyHeader(std::vector<std::string> words) {
  return ParseAndRun<HeaderCommandArgs>(std::move(words), env, ParseHeaderCommandLine,
                                        tarn::ModifyHeader);
}

std::string HeaderSandbox::Option(int number) {
  std::string option = "-";
  option += MessageText(number);
  return option;
}

std::vector<std::uint8_t> HeaderSandbox::RecordsWritten() const {
  return {written_.begin() + static_cast<std::ptrdiff_t>(writtenHeaderSize_), written_.end()};
}

std::vector<std::uint8_t> HeaderSandbox::RecordsNow() const {
  const std::vector<std::uint8_t> bytes = Bytes();
  const std::size_t header_size = Header().headerSize;
  if (header_size > bytes.size()) return {};
  return {bytes.begin() + static_cast<std::ptrdiff_t>(header_size), bytes.end()};
}

RawLogfile HeaderSandbox::Header() const {
  std::optional<RawLogfile> header = ReadRawLogfile(logfile_);
  EXPECT_TRUE(header.has_value()) << "the logfile header cannot be taken apart";
  return header.value_or(RawLogfile{});
}

std::string HeaderSandbox::Journal() const {
  const std::string path = env.journalPath + env.journalName;
  return std::filesystem::exists(path) ? ReadText(path) : std::string();
}

std::vector<std::string> HeaderSandbox::LogDirectory() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(logs_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tarn::testing
