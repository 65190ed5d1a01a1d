#include "engine/text/keyword_expansion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/text/local_date_text.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::ReadBytes;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteBytes;

// Catalogue texts, so the tests follow whatever words the catalogue holds.
std::string Text(const MessageId& message) { return MessageText(message.number); }
std::string K(const MessageId& keyword) { return Text(keyword); }

constexpr std::uint32_t kEditTime = 978'400'000;  // Jan 2001
constexpr std::uint32_t kPutTime = 978'500'000;

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

class KeywordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    ClearWorkfileDisplayName();
    header_.owner = "carol";
    header_.modifierList = "alice,bob,carol";
    header_.commentPrefix = " * ";
    header_.description = "module text";
    header_.fixed._iRevisionCount = 4;

    context_.revision.major = 1;
    context_.revision.minor = 3;
    context_.revision._cTip = 1;
    context_.revision.CreatorIndex = 1;  // bob
    context_.revision.FileEditDate = kEditTime;
    context_.revision.FilePutDate = kPutTime;
    context_.revisionNumber.iElementCount = 1;
    context_.revisionNumber.elements[0] = {0, 1, 0, 3};
    context_.header = &header_;
    context_.workfilePath = "/work/src/main.c";
    context_.logfileArgument = "main.c";
    context_.logfilePath = "/logs/main.d";
    context_.revisionLabel = "REL1";
    environment_.tempDirectory = dir_.path().string() + "/";
    context_.environment = &environment_;
  }
  void TearDown() override { ClearWorkfileDisplayName(); }

  // Expands `text`; the test fails when the expansion does.
  std::string Expand(std::string_view text) {
    ByteBuffer out;
    const std::vector<std::uint8_t> in = Bytes(text);
    EXPECT_EQ(ExpandKeywordsInText(context_, in, out), 1) << host_.All();
    return std::string(out.begin(), out.end());
  }

  std::string Unexpanded(const MessageId& keyword) { return "$" + K(keyword) + "$"; }
  std::string Expanded(const MessageId& keyword, std::string_view value) {
    return "$" + K(keyword) + ": " + std::string(value) + " $";
  }

  TempDir dir_;
  RecordingHost host_;
  LogfileHeader header_;
  tarnEnvironVars environment_;
  KeywordExpansionContext context_;
};

TEST_F(KeywordTest, RevisionKeywordBecomesNameColonBlankNumberBlankDollar) {
  EXPECT_EQ(Expand("x " + Unexpanded(msg::kKeywordRevision) + " y"),
            "x $" + K(msg::kKeywordRevision) + ": 1.3 $ y");
}

TEST_F(KeywordTest, EveryTextKeywordTakesItsValue) {
  const std::string date = LocalDateText(kEditTime);
  ASSERT_EQ(date.size(), 24u);
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordAuthor)), Expanded(msg::kKeywordAuthor, "bob"));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordDate)), Expanded(msg::kKeywordDate, date));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordOwner)), Expanded(msg::kKeywordOwner, "carol"));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordLogfile)),
            Expanded(msg::kKeywordLogfile, "/logs/main.d"));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordWorkfile)),
            Expanded(msg::kKeywordWorkfile, "/work/src/main.c"));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordLabel)), Expanded(msg::kKeywordLabel, "REL1"));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordName)), Expanded(msg::kKeywordName, "main REL1"));
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordHeader)),
            Expanded(msg::kKeywordHeader, "/work/src/main.c  " + K(msg::kKeywordRevision) +
                                              ":1.3  " + date + "  carol"));
  // The notice: the sign 0xA9 stands where the colon would.
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordNotice)),
            "$" + K(msg::kKeywordNotice) + " \xA9 " + Text(msg::kNoticeText) + " $");
}

TEST_F(KeywordTest, SeveralKeywordsOnOneLineAndTextAroundThemStayInPlace) {
  EXPECT_EQ(
      Expand("a" + Unexpanded(msg::kKeywordAuthor) + "b" + Unexpanded(msg::kKeywordOwner) + "$c\n"),
      "a" + Expanded(msg::kKeywordAuthor, "bob") + "b" + Expanded(msg::kKeywordOwner, "carol") +
          "$c\n");
}

TEST_F(KeywordTest, TextThatIsNoUnexpandedKeywordIsCopiedUnchanged) {
  const std::string revision = K(msg::kKeywordRevision);
  for (const std::string& text : {
           std::string("costs $5 and $"),
           std::string("$$"),
           std::string("$"),
           std::string("$Unknown$ keyword"),
           "$" + revision + ": 1.2 $",        // already expanded
           "$" + revision + "x$",             // longer name
           "$" + revision,                    // name at the end, no closing '$'
           "$" + revision + " $",             // not directly followed by '$'
           "$" + K(msg::kKeywordLog) + "12",  // digits but no closing '$'
           "$" + K(msg::kKeywordLog) + "1x$",
       }) {
    EXPECT_EQ(Expand(text), text);
  }
  // Names are compared letter for letter.
  std::string lower = Unexpanded(msg::kKeywordRevision);
  lower[1] = static_cast<char>(lower[1] ^ 0x20);
  EXPECT_EQ(Expand(lower), lower);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
}

TEST_F(KeywordTest, DisplayNameReplacesTheWorkfilePathWhileItIsSet) {
  {
    ScopedWorkfileDisplayName name("/home/u/shown.c");
    EXPECT_EQ(WorkfileDisplayName(), "/home/u/shown.c");
    EXPECT_EQ(Expand(Unexpanded(msg::kKeywordWorkfile)),
              Expanded(msg::kKeywordWorkfile, "/home/u/shown.c"));
    EXPECT_EQ(Expand(Unexpanded(msg::kKeywordHeader))
                  .find("$" + K(msg::kKeywordHeader) + ": /home/u/shown.c  "),
              0u);
  }
  EXPECT_FALSE(WorkfileDisplayName().has_value());
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordWorkfile)),
            Expanded(msg::kKeywordWorkfile, "/work/src/main.c"));
}

TEST_F(KeywordTest, UnknownCreatorIndexShowsThePlaceholderName) {
  context_.revision.CreatorIndex = 7;
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordAuthor)),
            Expanded(msg::kKeywordAuthor, Text(msg::kUnknownListField)));
  context_.revision.CreatorIndex = -1;
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordAuthor)),
            Expanded(msg::kKeywordAuthor, Text(msg::kUnknownListField)));
}

TEST_F(KeywordTest, NameKeywordCutsTheFileNameAtItsFirstDot) {
  context_.logfileArgument = "main.x.c";
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordName)), Expanded(msg::kKeywordName, "main REL1"));
  context_.logfileArgument = "notes";
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordName)), Expanded(msg::kKeywordName, "notes REL1"));
  // Dots in directories do not count: the name would say nothing.
  context_.logfileArgument = "../src.v2/main.c";
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordName)),
            Expanded(msg::kKeywordName, "../src.v2/main REL1"));
}

TEST_F(KeywordTest, LogfileKeywordShowsTheFullPath) {
  context_.logfilePath = "logs/./sub/../main.d";
  const std::string full = std::filesystem::current_path().string() + "/logs/main.d";
  EXPECT_EQ(Expand(Unexpanded(msg::kKeywordLogfile)), Expanded(msg::kKeywordLogfile, full));
}

class BinaryKeywordTest : public KeywordTest {
 protected:
  void SetUp() override {
    KeywordTest::SetUp();
    context_.binary = true;
  }
  std::string Field(const MessageId& keyword, std::string_view field) {
    return "$" + K(keyword) + ":" + std::string(field) + "$";
  }
};

TEST_F(BinaryKeywordTest, FieldOfWidthTenHoldsBlankNumberAndBlanks) {
  EXPECT_EQ(Expand(Field(msg::kKeywordRevision, "          ")),
            Field(msg::kKeywordRevision, " 1.3      "));
  // Whatever the field held before is overwritten.
  EXPECT_EQ(Expand(Field(msg::kKeywordRevision, "old  value")),
            Field(msg::kKeywordRevision, " 1.3      "));
}

TEST_F(BinaryKeywordTest, LongValuesAreCutToTheFieldLeavingATrailingBlank) {
  // "/logs/main.d" in a field of 10: room for 8 characters.
  EXPECT_EQ(Expand(Field(msg::kKeywordLogfile, "0123456789")),
            Field(msg::kKeywordLogfile, " /logs/ma "));
  EXPECT_EQ(Expand(Field(msg::kKeywordRevision, "abc")), Field(msg::kKeywordRevision, " 1 "));
  EXPECT_EQ(Expand(Field(msg::kKeywordRevision, "ab")), Field(msg::kKeywordRevision, "  "));
  // Width 1 has no room for a value: it holds a blank.
  EXPECT_EQ(Expand(Field(msg::kKeywordRevision, "x")), Field(msg::kKeywordRevision, " "));
}

TEST_F(BinaryKeywordTest, EmptyFieldsTextFormsAndUnclosedFieldsAreLeftAlone) {
  for (const std::string& text : {
           Field(msg::kKeywordRevision, ""),
           Unexpanded(msg::kKeywordRevision),
           "$" + K(msg::kKeywordRevision) + ":    ",  // no closing '$' before the end
           "$" + K(msg::kKeywordRevision) + ":",
           "$" + K(msg::kKeywordLog) + "3:   $",
       }) {
    EXPECT_EQ(Expand(text), text);
  }
}

TEST_F(BinaryKeywordTest, FileLengthIsUnchangedAndBytesAroundFieldsAreKept) {
  std::string data;
  data += std::string("\0\x01\xff$", 4);
  data += Field(msg::kKeywordAuthor, "       ");
  data += std::string("\0$\0", 3);
  data += Field(msg::kKeywordNotice, std::string(30, '.'));
  data += Field(msg::kKeywordLog, std::string(40, '.'));
  data += Field(msg::kKeywordDate, std::string(26, '.'));
  data += std::string("tail\0", 5);
  const std::string out = Expand(data);
  ASSERT_EQ(out.size(), data.size());

  std::string expected;
  expected += std::string("\0\x01\xff$", 4);
  expected += Field(msg::kKeywordAuthor, " bob   ");
  expected += std::string("\0$\0", 3);
  std::string notice = " \xA9 " + Text(msg::kNoticeText);
  notice.resize(30, ' ');
  notice[29] = ' ';
  expected += Field(msg::kKeywordNotice, notice);
  // The Log keyword of a binary file shows the logfile's path only.
  expected += Field(msg::kKeywordLog, " /logs/main.d" + std::string(27, ' '));
  expected += Field(msg::kKeywordDate, " " + LocalDateText(kEditTime) + " ");
  expected += std::string("tail\0", 5);
  EXPECT_EQ(out, expected);
}

// Expanding a file on disk.
class KeywordFileTest : public KeywordTest {
 protected:
  void SetUp() override {
    KeywordTest::SetUp();
    context_.fetchedFile = dir_.File("TARN0001");
  }
  std::size_t FilesInTemporaryDirectory() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_.path()),
                                                  std::filesystem::directory_iterator()));
  }
};

TEST_F(KeywordFileTest, FetchedFileIsReplacedByItsExpansion) {
  WriteBytes(context_.fetchedFile, Bytes("v " + Unexpanded(msg::kKeywordRevision) + "\n"));
  ASSERT_EQ(ExpandKeywords(context_), 1) << host_.All();
  EXPECT_EQ(ReadBytes(context_.fetchedFile),
            Bytes("v " + Expanded(msg::kKeywordRevision, "1.3") + "\n"));
  EXPECT_EQ(FilesInTemporaryDirectory(), 1u);  // the second temporary file is gone
}

TEST_F(KeywordFileTest, EmptyFileStaysEmpty) {
  WriteBytes(context_.fetchedFile, {});
  ASSERT_EQ(ExpandKeywords(context_), 1) << host_.All();
  EXPECT_TRUE(ReadBytes(context_.fetchedFile).empty());
}

TEST_F(KeywordFileTest, FileWithoutKeywordsIsNotRewritten) {
  const std::vector<std::uint8_t> original = Bytes("no keyword $here$ at all $");
  WriteBytes(context_.fetchedFile, original);
  // No second file is needed, so a temporary directory that is gone does
  // not matter.
  environment_.tempDirectory = dir_.File("no-such-directory") + "/";
  EXPECT_EQ(ExpandKeywords(context_), 1) << host_.All();
  EXPECT_EQ(ReadBytes(context_.fetchedFile), original);
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(KeywordFileTest, MissingFetchedFileIsReported) {
  EXPECT_EQ(ExpandKeywords(context_), -1);
  EXPECT_TRUE(host_.Saw(context_.fetchedFile)) << host_.All();
}

TEST_F(KeywordFileTest, UnwritableSecondFileLeavesTheFetchedFileAsItWas) {
  const std::vector<std::uint8_t> original = Bytes(Unexpanded(msg::kKeywordOwner));
  WriteBytes(context_.fetchedFile, original);
  environment_.tempDirectory = dir_.File("no-such-directory") + "/";
  EXPECT_EQ(ExpandKeywords(context_), -1);
  EXPECT_FALSE(host_.messages().empty());
  EXPECT_EQ(ReadBytes(context_.fetchedFile), original);
  EXPECT_EQ(FilesInTemporaryDirectory(), 1u);
}

// A disk that fills while the expansion is written: the test hook of the file
// layer reads its limit once per process, so the expansion runs in a fresh
// process of this test program.
TEST_F(KeywordFileTest, FullDiskLeavesTheFetchedFileAsItWas) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string original = "start ";
  for (int i = 0; i < 200; ++i) original += Unexpanded(msg::kKeywordHeader) + "\n";
  WriteBytes(context_.fetchedFile, Bytes(original));
  EXPECT_EXIT(
      {
        ::setenv("TARN_FAULT_WRITE_LIMIT", "100", 1);
        const int result = ExpandKeywords(context_);
        const bool kept = ReadBytes(context_.fetchedFile) == Bytes(original);
        const bool reported = !host_.messages().empty();
        const bool clean = FilesInTemporaryDirectory() == 1;
        std::error_code ignored;
        std::filesystem::remove_all(dir_.path(), ignored);  // the child's own scratch directory
        std::exit(result == -1 && kept && reported && clean ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadBytes(context_.fetchedFile), Bytes(original));
}

TEST(LocalDateText, HasTheTwentyFourCharacterForm) {
  EXPECT_EQ(LocalDateText(platform::LocalTime{2001, 1, 2, 3, 4, 5, 2}), "Tue Jan  2 03:04:05 2001");
  EXPECT_EQ(LocalDateText(platform::LocalTime{2024, 12, 31, 23, 59, 58, 2}),
            "Tue Dec 31 23:59:58 2024");
  // A calendar that could not hold the time never indexes outside the tables.
  EXPECT_EQ(LocalDateText(platform::LocalTime{0, 0, 0, 0, 0, 0, 0}), "Sun ???  0 00:00:00 0");
}

}  // namespace
}  // namespace tarn
