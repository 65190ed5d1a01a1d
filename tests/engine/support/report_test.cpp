// Reporting: how catalogue messages are formatted and handed to the host.
#include "engine/support/report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "engine/support/message_catalogue.h"
#include "platform/file.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

// A host that hands back a fixed answer and remembers what it was shown.
class FixedAnswerHost final : public Host {
 public:
  explicit FixedAnswerHost(std::string answer) : answer_(std::move(answer)) {}
  void ReportMessage(std::string_view text, int kind) override {
    last_text = text;
    last_kind = kind;
  }
  std::string AskQuestion() override { return answer_; }

  std::string last_text;
  int last_kind = 0;

 private:
  std::string answer_;
};

// A catalogue of our own, so that the expected texts below do not depend on
// the texts of the real one.
class Reporting : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteText(dir_.File("cat"), std::string(kCatalogueBanner) +
                                             "\n500\n"
                                             "14,,<raw %s stays %d>\n"
                                             "18,,<Nein>\n"
                                             "29,,<Ja>\n"
                                             "106,,<[%s] read (%s:%d)>\n"
                                             "126,,<[%s] unknown '%s'>\n"
                                             "141,,<-%s twice [%s]>\n"
                                             "207,,<replace '%s'?>\n"
                                             "308,,<[%s] %d locks in %s>\n"
                                             "361,,<[%s] '%s' too long (at most %d)>\n"
                                             "450,,<[%s] cannot open '%s': %s>\n");
    ASSERT_EQ(LoadMessageFile("test", "cat", dir_.path().string()), 1);
  }
  void TearDown() override { FreeMessages(); }

  testing::TempDir dir_;
  testing::RecordingHost host_;
};

TEST_F(Reporting, ProgramLabelComesFirstAndKindIsPassed) {
  ScopedProgramLabel label("tget");
  Report(kAlert, msg::kUnknownOption, "-x");
  Report(kStatus, msg::kLocksPreventClearing, 3, "main.d");
  ASSERT_EQ(host_.messages().size(), 2u);
  EXPECT_EQ(host_.messages()[0].text, "[tget] unknown '-x'");
  EXPECT_EQ(host_.messages()[0].kind, 11);
  EXPECT_EQ(host_.messages()[1].text, "[tget] 3 locks in main.d");
  EXPECT_EQ(host_.messages()[1].kind, 10);
}

TEST_F(Reporting, OptionGivenTwicePutsTheOptionWordBeforeTheLabel) {
  ScopedProgramLabel label("tlock");
  Report(kAlert, msg::kOptionTwice, "rev");
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, "-rev twice [tlock]");
}

TEST_F(Reporting, MessagesWithoutLabelTakeOnlyTheirOwnArguments) {
  ScopedProgramLabel label("tget");
  Report(kStatus, msg::kAskReplaceWritable, "main.c");
  EXPECT_EQ(FormatMessage(msg::kAskReplaceWritable, "x.c"), "replace 'x.c'?");
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, "replace 'main.c'?");
}

TEST_F(Reporting, RawMessagesAreHandedOverUnformatted) {
  ReportRaw(kStatus, msg::kUsagePause);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, "raw %s stays %d");
  EXPECT_EQ(host_.messages()[0].kind, 10);
}

TEST_F(Reporting, LongArgumentsAreCutInTheMiddleSoTheMessageKeepsItsEnd) {
  const std::string long_argument = "start" + std::string(131'000, 'a') + "end";
  Report(kAlert, msg::kUnknownOption, long_argument);
  ASSERT_EQ(host_.messages().size(), 1u);
  const std::string& text = host_.messages()[0].text;
  ASSERT_EQ(text.size(), kMessageBufferSize - 1);
  const std::string expected_start = "[" + ProgramLabel() + "] unknown 'start";
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
  EXPECT_TRUE(text.ends_with("aend'")) << text;
  EXPECT_NE(text.find("a...a"), std::string::npos) << text;

  // With two texts, the longer is cut; the explanation after them stays.
  host_.Clear();
  Report(kAlert, msg::kPathTooLong, std::string(5000, 'p'), 259);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_TRUE(host_.messages()[0].text.ends_with("' too long (at most 259)"))
      << host_.messages()[0].text;
  EXPECT_LE(host_.messages()[0].text.size(), kMessageBufferSize - 1);
}

TEST_F(Reporting, FailedSystemCallsAreReportedWithTheSystemsReason) {
  ScopedProgramLabel label("tget");
  ReportSystemFailure(msg::kLogfileCannotOpen, "logs/main.d", EACCES);
  ReportSystemFailure(msg::kLogfileCannotOpen, "logs/main.d", EMFILE);
  ReportSystemFailure(msg::kLogfileCannotOpen, "logs/main.d", platform::kNotRegularFile);
  ASSERT_EQ(host_.messages().size(), 3u);
  EXPECT_EQ(host_.messages()[0].text,
            std::string("[tget] cannot open 'logs/main.d': ") + std::strerror(EACCES));
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
  EXPECT_EQ(host_.messages()[1].text,
            std::string("[tget] cannot open 'logs/main.d': ") + std::strerror(EMFILE));
  EXPECT_EQ(host_.messages()[2].text, "[tget] cannot open 'logs/main.d': not a regular file");
}

TEST_F(Reporting, ScopedProgramLabelRestoresThePreviousLabel) {
  const std::string original = ProgramLabel();
  {
    ScopedProgramLabel outer("tput_w");
    EXPECT_EQ(ProgramLabel(), "tput_w");
    {
      ScopedProgramLabel inner("tmh_w");
      EXPECT_EQ(ProgramLabel(), "tmh_w");
    }
    EXPECT_EQ(ProgramLabel(), "tput_w");
  }
  EXPECT_EQ(ProgramLabel(), original);
  EXPECT_EQ(original, "TARN 2.3");
}

TEST_F(Reporting, FaultsNameTheSourceModuleAndLine) {
  EXPECT_EQ(SourceModuleName(SourceLocation::current("/src/engine/header_io.cpp", 7)), "header_io");
  EXPECT_EQ(SourceModuleName(SourceLocation::current("plain.h", 7)), "plain");
  EXPECT_EQ(SourceModuleName(SourceLocation::current("dir.v2/name", 7)), "name");

  ScopedProgramLabel label("tget");
  const unsigned line = __LINE__ + 1;
  ReportFault(msg::kReadFailed);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, "[tget] read (report_test:" + std::to_string(line) + ")");
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
}

TEST_F(Reporting, AskYesComparesTheAnswerWithTheWordForYes) {
  host_.QueueAnswer(true);
  host_.QueueAnswer(false);
  EXPECT_TRUE(AskYes());
  EXPECT_FALSE(AskYes());
  EXPECT_EQ(host_.questions_asked(), 2);

  FixedAnswerHost shouting("JA");
  Host* previous = SetHost(&shouting);
  EXPECT_EQ(previous, &host_);
  EXPECT_TRUE(AskYes());
  SetHost(previous);

  FixedAnswerHost other("Jawohl");
  previous = SetHost(&other);
  EXPECT_FALSE(AskYes());
  SetHost(previous);
}

TEST_F(Reporting, SetHostReturnsThePreviousHostAndNullRestoresTheConsole) {
  FixedAnswerHost first("Ja");
  Host* before = SetHost(&first);
  EXPECT_EQ(&CurrentHost(), &first);
  Report(kStatus, msg::kUnknownOption, "z");
  EXPECT_EQ(first.last_kind, 10);
  EXPECT_EQ(SetHost(nullptr), &first);
  EXPECT_NE(&CurrentHost(), &first);
  EXPECT_NE(&CurrentHost(), &host_);
  SetHost(before);
  EXPECT_EQ(&CurrentHost(), &host_);
}

}  // namespace
}  // namespace tarn
