#include "engine/commands/checkin_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_number.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

std::string Opt(const MessageId& word) { return std::string("-") + MessageText(word.number); }

class CheckInCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  int Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "tput");
    arguments_ = std::move(arguments);
    return ParseCheckInCommandLine(arguments_, record_);
  }

  // The first alert (the usage report follows a refusal).
  std::string FirstMessage() const {
    return host_.messages().empty() ? std::string() : host_.messages()[0].text;
  }

  testing::RecordingHost host_;
  std::vector<std::string> arguments_;
  CheckInRecord record_;
};

TEST_F(CheckInCommandLineTest, EveryOptionIsRecorded) {
  ASSERT_EQ(Parse({Opt(msg::kOptionQuiet), Opt(msg::kOptionText), "the change", "main.c",
                   Opt(msg::kOptionWorkfile), "/w/main.c", Opt(msg::kOptionRevision), "1.7",
                   Opt(msg::kOptionLock), Opt(msg::kOptionCreate), Opt(msg::kWordNo),
                   Opt(msg::kOptionSet), "DeleteWork=yes,Compression=no"}),
            1)
      << host_.All();
  EXPECT_EQ(record_.givenName, "main.c");
  EXPECT_EQ(record_.workfile, "/w/main.c");
  EXPECT_EQ(record_.WorkfileName(), "/w/main.c");
  ASSERT_TRUE(record_.revision);
  EXPECT_EQ(FormatRevision(*record_.revision), "1.7");
  EXPECT_EQ(record_.description, "the change");
  EXPECT_EQ(record_.answer, "NO");
  EXPECT_TRUE(record_.quiet && record_.keepLock && record_.create);
  EXPECT_FALSE(record_.newBranch);
  EXPECT_EQ(record_.attributes.mask, kAttrDeleteWork | kAttrCompression);
  EXPECT_EQ(record_.attributes.values, kAttrDeleteWork);
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(CheckInCommandLineTest, NameAloneAndOptionWordsInAnyCase) {
  ASSERT_EQ(Parse({"notes.txt"}), 1);
  EXPECT_EQ(record_.WorkfileName(), "notes.txt");
  EXPECT_FALSE(record_.revision || record_.description || record_.answer);
  std::string upper = Opt(msg::kOptionNewBranch);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_EQ(Parse({upper, "a.c"}), 1);
  EXPECT_TRUE(record_.newBranch);
}

struct Refusal {
  std::vector<std::string> arguments;
  std::string expected;  // the first message
};

TEST_F(CheckInCommandLineTest, RefusalsReportTheirMessageFirst) {
  const std::string revision = Opt(msg::kOptionRevision);
  const std::string branch = Opt(msg::kOptionNewBranch);
  const std::string workfile = Opt(msg::kOptionWorkfile);
  const std::string text = Opt(msg::kOptionText);
  const std::vector<Refusal> refusals = {
      {{"a.c", Opt(msg::kOptionSet)}, FormatMessage(msg::kAttributeValueMissing)},
      {{workfile, "x", workfile, "y", "a.c"}, FormatMessage(msg::kSecondWorkfileName, "x")},
      {{"a.c", workfile, "x", workfile}, FormatMessage(msg::kWorkfileOptionTwice)},
      {{"a.c", workfile}, FormatMessage(msg::kWorkfileNameMissing)},
      {{branch, revision, "1.2", "a.c"}, FormatMessage(msg::kRevisionWithBranch)},
      {{revision, "1.2", branch, "a.c"}, FormatMessage(msg::kBranchWithRevision)},
      {{revision, "1.2", revision, "1.3", "a.c"},
       FormatMessage(msg::kOptionTwice, MessageText(msg::kOptionRevision.number))},
      {{"a.c", revision}, FormatMessage(msg::kRevisionMissing)},
      {{revision, "1.x", "a.c"}, FormatMessage(msg::kBadRevision, "1.x")},
      {{revision, "1.2:1.4", "a.c"}, FormatMessage(msg::kBadRevision, "1.2:1.4")},
      {{revision, "2", "a.c"}, FormatMessage(msg::kBadRevision, "2")},
      {{revision, MessageText(msg::kWordTrunkTip.number), "a.c"},
       FormatMessage(msg::kBadRevision, MessageText(msg::kWordTrunkTip.number))},
      {{revision, "1.*", "a.c"}, FormatMessage(msg::kWildcardNotAllowed, "1.*")},
      {{text, "a", text, "b", "a.c"},
       FormatMessage(msg::kOptionTwice, MessageText(msg::kOptionText.number))},
      {{"a.c", text}, FormatMessage(msg::kDescriptionMissing)},
      {{Opt(msg::kWordYes), Opt(msg::kWordKeep), "a.c"},
       FormatMessage(msg::kSecondAnswer, "YES",
                     [] {
                       std::string keep = MessageText(msg::kWordKeep.number);
                       for (char& c : keep) c = static_cast<char>(std::toupper(c));
                       return keep;
                     }())},
      {{branch, branch, "a.c"},
       FormatMessage(msg::kOptionTwice, MessageText(msg::kOptionNewBranch.number))},
      {{Opt(msg::kOptionLock), Opt(msg::kOptionLock), "a.c"},
       FormatMessage(msg::kOptionTwice, MessageText(msg::kOptionLock.number))},
      {{Opt(msg::kOptionCreate), Opt(msg::kOptionCreate), "a.c"},
       FormatMessage(msg::kOptionTwice, MessageText(msg::kOptionCreate.number))},
      {{"-bogus", "a.c"}, FormatMessage(msg::kUnknownOption, "-bogus")},
      {{"a.c", "b.c"}, FormatMessage(msg::kSecondFileName, "a.c")},
  };
  for (const Refusal& refusal : refusals) {
    host_.Clear();
    EXPECT_EQ(Parse(refusal.arguments), -1) << refusal.expected;
    EXPECT_EQ(FirstMessage(), refusal.expected);
  }
}

TEST_F(CheckInCommandLineTest, MalformedRevisionIsAStatusMessage) {
  EXPECT_EQ(Parse({Opt(msg::kOptionRevision), "x.1", "a.c"}), -1);
  ASSERT_FALSE(host_.messages().empty());
  EXPECT_EQ(host_.messages()[0].kind, kStatus);
}

TEST_F(CheckInCommandLineTest, MissingNameRefusesWithTheUsageReportOnly) {
  EXPECT_EQ(Parse({Opt(msg::kOptionQuiet)}), -1);
  EXPECT_EQ(Parse({}), -1);
}

TEST_F(CheckInCommandLineTest, AttributeFaultsAreReportedAndRefuseTheLine) {
  // A check-in under attributes other than those asked for is not what was meant.
  EXPECT_EQ(Parse({Opt(msg::kOptionSet), "Bogus=yes", "a.c"}), -1);
  EXPECT_EQ(Parse({Opt(msg::kOptionSet), "CheckLock=maybe", "a.c"}), -1);
  ASSERT_EQ(Parse({Opt(msg::kOptionSet), "BinaryFile=yes", "a.c"}), 1);
  EXPECT_EQ(record_.attributes.mask, kAttrBinaryFile);
}

TEST_F(CheckInCommandLineTest, ParsingStartsFromAnEmptyRecord) {
  ASSERT_EQ(Parse({Opt(msg::kOptionLock), "a.c"}), 1);
  ASSERT_EQ(Parse({"b.c"}), 1);
  EXPECT_FALSE(record_.keepLock);
  EXPECT_EQ(record_.givenName, "b.c");
}

}  // namespace
}  // namespace tarn
