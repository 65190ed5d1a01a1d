// The usage listing printed after a rejected command line, and the usage
// texts installed beside the programs.
#include "engine/support/usage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "platform/environment_variables.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

class UsageListing : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteText(dir_.File("cat"), std::string(kCatalogueBanner) +
                                             "\n400\n"
                                             "14,,<--more-->\n"
                                             "27,,<usage of %s:>\n"
                                             "150,,<%s has no usage text>\n");
    ASSERT_EQ(LoadMessageFile("test", "cat", dir_.path().string()), 1);
  }
  void TearDown() override { FreeMessages(); }

  // Runs the listing into a scratch stream and returns what it printed.
  std::string List(const std::string& usage_path, int argument_count, bool pause_enabled,
                   std::string_view synopsis_command = {}) {
    const std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    EXPECT_NE(out, nullptr);
    const UsagePause pause{pause_enabled, [this] { ++keys_waited_for_; }};
    PrintUsageFrom(usage_path, "tget", argument_count, out.get(), pause, synopsis_command);
    std::rewind(out.get());
    std::string printed;
    char buffer[256];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, out.get())) > 0) printed.append(buffer, got);
    return printed;
  }

  static std::string Lines(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
  }

  testing::TempDir dir_;
  testing::RecordingHost host_;
  int keys_waited_for_ = 0;
};

TEST_F(UsageListing, PrintsHeadingAndTheFileWithTheListedLabel) {
  testing::WriteText(dir_.File("tget.usa"), "tget [options] file\n  -rev REVISION %s\n");
  ScopedProgramLabel label("something else");
  EXPECT_EQ(List(dir_.File("tget.usa"), 1, true),
            "usage of tget:\ntget [options] file\n  -rev REVISION %s\n");
  EXPECT_EQ(keys_waited_for_, 0);
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(UsageListing, ASynopsisCommandReplacesTheCommandWordOfTheSynopsisOnly) {
  testing::WriteText(dir_.File("tget.usa"),
                     "tget [options] file\ntget -rev REV file\n\ntget writes a revision.\n"
                     "  tget -lock a.c\n");
  EXPECT_EQ(List(dir_.File("tget.usa"), 1, false, "tarn get"),
            "usage of tget:\ntarn get [options] file\ntarn get -rev REV file\n\n"
            "tget writes a revision.\n  tget -lock a.c\n");
}

TEST_F(UsageListing, APointerToTheHelpStandsInForTheListing) {
  testing::WriteText(dir_.File("cat"), std::string(kCatalogueBanner) +
                                           "\n700\n"
                                           "27,,<usage of %s:>\n"
                                           "651,,<%s: see '%s'>\n");
  ASSERT_EQ(LoadMessageFile("test", "cat", dir_.path().string()), 1);
  const ScopedProgramLabel label("tget");
  SetUsagePointer([](std::string_view shown) {
    return shown == "tget" ? std::string("tarn help get") : std::string();
  });
  PrintUsage("tget", 3);
  PrintUsage("tother", 1);  // no pointer for it: the usage is listed (to standard output)
  SetUsagePointer(nullptr);
  ASSERT_EQ(host_.messages().size(), 1u) << host_.All();
  EXPECT_EQ(host_.messages()[0].text, "tget: see 'tarn help get'");
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
}

TEST_F(UsageListing, MissingUsageFileSaysSo) {
  EXPECT_EQ(List(dir_.File("absent.usa"), 1, true), "tget has no usage text\n");
}

TEST_F(UsageListing, PausesAfterEveryPageWhenSomeoneCanPressAKey) {
  testing::WriteText(dir_.File("tget.usa"), Lines(1, 50));
  EXPECT_EQ(List(dir_.File("tget.usa"), 1, true), "usage of tget:\n" + Lines(1, 23) + "--more--\n" +
                                                      Lines(24, 46) + "--more--\n" + Lines(47, 50));
  EXPECT_EQ(keys_waited_for_, 2);
}

TEST_F(UsageListing, NeverWaitsWithoutATerminal) {
  testing::WriteText(dir_.File("tget.usa"), Lines(1, 50));
  EXPECT_EQ(List(dir_.File("tget.usa"), 4, false), "usage of tget:\n" + Lines(1, 50));
  EXPECT_EQ(keys_waited_for_, 0);
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(UsageListing, RejectedArgumentsGetAPauseBeforeTheListing) {
  testing::WriteText(dir_.File("tget.usa"), "one line\n");
  EXPECT_EQ(List(dir_.File("tget.usa"), 2, true), "usage of tget:\none line\n");
  EXPECT_EQ(keys_waited_for_, 1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, "--more--");
  EXPECT_EQ(host_.messages()[0].kind, kStatus);
}

TEST_F(UsageListing, LongLinesAndAMissingLastLineEnd) {
  const std::string long_line(600, 'x');
  testing::WriteText(dir_.File("tget.usa"), long_line + "\nlast");
  EXPECT_EQ(List(dir_.File("tget.usa"), 1, false), "usage of tget:\n" + long_line + "\nlast\n");
}

TEST_F(UsageListing, UsageFileLivesInTheProgramDirectory) {
  platform::SetProgramDirectory(dir_.path().string() + "/");
  EXPECT_EQ(UsageFilePath("tlock"), dir_.path().string() + "/tlock.usa");
  platform::SetProgramDirectory("");
}

// The installed usage texts describe every option word their command
// recognises, spelled as the catalogue spells it.
class InstalledUsageTexts : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  static void ExpectOptions(const std::string& command, const std::vector<MessageId>& options) {
    const std::string text = testing::ReadText(testing::SourceDir() + "/catalogue/" + command +
                                               std::string(kUsageFileExtension));
    ASSERT_FALSE(text.empty()) << command;
    EXPECT_EQ(text.rfind(command + " ", 0), 0u) << command << " usage starts with its name";
    for (const MessageId& option : options) {
      const std::string word = std::string("-") + MessageText(option.number);
      EXPECT_NE(text.find(word), std::string::npos) << command << " does not mention " << word;
    }
  }
};

TEST_F(InstalledUsageTexts, EveryCommandDescribesItsOptions) {
  using namespace msg;
  ExpectOptions("tget",
                {kOptionLock, kOptionNewerOnly, kOptionSet, kOptionRevision, kOptionLabel,
                 kOptionOutput, kOptionQuiet, kWordYes, kWordNo, kWordKeep, kOptionTimestamp});
  ExpectOptions("tput",
                {kOptionSet, kOptionWorkfile, kOptionRevision, kOptionText, kWordYes, kWordNo,
                 kWordKeep, kOptionQuiet, kOptionNewBranch, kOptionLock, kOptionCreate});
  ExpectOptions("tlock", {kOptionRevision});
  ExpectOptions("tunlock", {kOptionRevision});
  ExpectOptions("tstamp",
                {kOptionRevision, kOptionLabel, kOptionCopyLabel, kWordYes, kWordNo, kWordKeep});
  ExpectOptions("tunstamp", {kOptionLabel});
  ExpectOptions(
      "tmh", {kOptionText, kOptionSet, kOptionRenameLabel, kOptionAccessList, kOptionCommentPrefix,
              kOptionDescription, kOptionAddUsers, kOptionOwner, kOptionDefaultBranch});
}

TEST_F(InstalledUsageTexts, TimestampValuesAreSpelledAsTheCatalogueSpellsThem) {
  const std::string text = testing::ReadText(testing::SourceDir() + "/catalogue/tget.usa");
  const std::string option = std::string("-") + MessageText(msg::kOptionTimestamp.number) + "=";
  for (const MessageId& value : {msg::kWordNow, msg::kWordEditTime, msg::kWordCheckinTime}) {
    EXPECT_NE(text.find(option + MessageText(value.number)), std::string::npos)
        << MessageText(value.number);
  }
}

}  // namespace
}  // namespace tarn
