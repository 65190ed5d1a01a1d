#include "engine/text/revision_history.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "engine/format/revision_number.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/message_format.h"
#include "engine/text/keyword_expansion.h"
#include "engine/text/local_date_text.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::LogfileBuilder;
using testing::ReadBytes;
using testing::RecordingHost;
using testing::BuiltRevision;
using testing::TempDir;
using testing::WriteBytes;

std::string Text(const MessageId& message) { return MessageText(message.number); }

tarnCommandRevDesc Number(std::vector<std::pair<std::int16_t, std::int16_t>> elements) {
  tarnCommandRevDesc number{};
  number.iElementCount = static_cast<std::int16_t>(elements.size());
  for (std::size_t k = 0; k < elements.size(); ++k) {
    number.elements[k] = {0, elements[k].first, 0, elements[k].second};
  }
  return number;
}

constexpr std::uint32_t kBaseTime = 1'000'000'000;

// A trunk 1.0 to 1.3 with the branch 1.2.1 (1.2.1.1, 1.2.1.2), records in
// file order: 1.3, 1.2, 1.2.1.1, 1.2.1.2, 1.1, 1.0. Creator of 1.x.y.z is
// ann or bob in turn; check-in times grow with the revision.
class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    LogfileBuilder builder;
    builder.Users("ann,bob").CommentPrefix("# ").Owner("ann").Description("the module\nline two");
    builder.AddRevision(Record(1, 3, 0, 1, 6, "trunk tip"));
    BuiltRevision branch_point = Record(1, 2, 0, 0, 3, "second change\nwith two lines");
    branch_point.branchCount = 1;
    builder.AddRevision(branch_point);
    builder.AddRevision(Record(1, 1, 1, 0, 4, "branch start"));
    builder.AddRevision(Record(1, 2, 1, 1, 5, "branch fix"));
    builder.AddRevision(Record(1, 1, 0, 0, 2, "first change"));
    builder.AddRevision(Record(1, 0, 0, 0, 1, "initial"));
    path_ = dir_.File("main.d");
    builder.WriteTo(path_);
    first_record_ = static_cast<std::int64_t>(builder.RevisionOffsets().front());

    header_.modifierList = "ann,bob";
    header_.commentPrefix = "# ";
    header_.owner = "ann";
    header_.description = "the module\nline two";
    header_.fixed._iRevisionCount = 6;
    logfile_ = platform::File::Open(path_, platform::OpenMode::kRead);
    ASSERT_TRUE(logfile_);
  }

  static BuiltRevision Record(std::int16_t major, std::int16_t minor, std::int16_t depth,
                             std::uint8_t tip, std::uint32_t order, std::string description) {
    BuiltRevision revision;
    revision.major = major;
    revision.minor = minor;
    revision.depth = depth;
    revision.tip = tip;
    revision.putDate = kBaseTime + order * 3600;
    revision.editDate = kBaseTime + order * 3600 - 60;
    revision.creatorIndex = static_cast<std::int16_t>(order % 2);
    revision.description = std::move(description);
    revision.data = "data of record " + std::to_string(order) + "\n";
    return revision;
  }

  std::vector<std::string> AncestorsOf(const tarnCommandRevDesc& fetched) {
    std::deque<RevisionRecord> ancestors;
    EXPECT_EQ(CollectAncestors(*logfile_, first_record_, fetched, ancestors), 1) << host_.All();
    std::vector<std::string> numbers;
    for (const RevisionRecord& record : ancestors) numbers.push_back(FormatRevision(record.number));
    return numbers;
  }

  KeywordExpansionContext Context(const tarnCommandRevDesc& fetched) {
    KeywordExpansionContext context;
    context.revisionNumber = fetched;
    context.header = &header_;
    context.logfile = &*logfile_;
    context.firstRevisionOffset = first_record_;
    context.logfilePath = path_;
    context.workfilePath = "main.c";
    context.logfileArgument = "main.c";
    context.revisionLabel = Text(msg::kWordNone);
    return context;
  }

  std::string Expand(const KeywordExpansionContext& context, std::string_view text) {
    ByteBuffer out;
    const std::vector<std::uint8_t> in(text.begin(), text.end());
    EXPECT_EQ(ExpandKeywordsInText(context, in, out), 1) << host_.All();
    return std::string(out.begin(), out.end());
  }

  // The revision numbers of the history entries in an expanded text: the
  // lines that read as the catalogue's entry format with the prefix "# ".
  static std::vector<std::string> EntryNumbers(const std::string& expanded) {
    const std::string pattern = FormatWithArgs(
        Text(msg::kHistoryEntry), std::array<MessageArg, 4>{"# ", "\x01", "\x02", "\x03"});
    const std::string before = pattern.substr(0, pattern.find('\x01'));
    const std::string after =
        pattern.substr(pattern.find('\x01') + 1, pattern.find('\x02') - pattern.find('\x01') - 1);
    std::vector<std::string> numbers;
    std::istringstream lines(expanded);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(before, 0) != 0) continue;
      const std::size_t end = line.find(after, before.size());
      if (end != std::string::npos)
        numbers.push_back(line.substr(before.size(), end - before.size()));
    }
    return numbers;
  }

  std::string LogKeyword(std::string_view digits = "") {
    return "$" + Text(msg::kKeywordLog) + std::string(digits) + "$";
  }

  TempDir dir_;
  RecordingHost host_;
  std::string path_;
  std::int64_t first_record_ = 0;
  LogfileHeader header_;
  std::optional<platform::File> logfile_;
};

TEST_F(HistoryTest, AncestorsRunFromTheFetchedRevisionBackThroughItsBranchPoint) {
  using V = std::vector<std::string>;
  EXPECT_EQ(AncestorsOf(Number({{1, 2}, {1, 2}})), (V{"1.2.1.2", "1.2.1.1", "1.2", "1.1", "1.0"}));
  EXPECT_EQ(AncestorsOf(Number({{1, 2}, {1, 1}})), (V{"1.2.1.1", "1.2", "1.1", "1.0"}));
  EXPECT_EQ(AncestorsOf(Number({{1, 3}})), (V{"1.3", "1.2", "1.1", "1.0"}));
  EXPECT_EQ(AncestorsOf(Number({{1, 1}})), (V{"1.1", "1.0"}));
}

TEST(AncestorRule, SameNumbersBelowAndNoLaterRevisionAtTheLastDepth) {
  EXPECT_TRUE(IsAncestorOrSelf(Number({{1, 2}}), Number({{1, 2}, {1, 3}})));
  EXPECT_TRUE(IsAncestorOrSelf(Number({{1, 2}, {1, 3}}), Number({{1, 2}, {1, 3}})));
  EXPECT_FALSE(IsAncestorOrSelf(Number({{1, 3}}), Number({{1, 2}, {1, 3}})));
  EXPECT_FALSE(IsAncestorOrSelf(Number({{1, 2}, {2, 1}}), Number({{1, 2}, {1, 3}})));
  EXPECT_FALSE(IsAncestorOrSelf(Number({{1, 1}, {1, 1}}), Number({{1, 2}, {1, 3}})));
  EXPECT_FALSE(IsAncestorOrSelf(Number({{1, 2}, {1, 3}}), Number({{1, 2}})));
  EXPECT_FALSE(IsAncestorOrSelf(Number({{2, 0}}), Number({{1, 5}})));
}

TEST_F(HistoryTest, LogKeywordInsertsDescriptionEntriesAndEndMarker) {
  const KeywordExpansionContext context = Context(Number({{1, 2}, {1, 2}}));
  const std::string expanded = Expand(context, "/* " + LogKeyword() + " */\n");

  auto entry = [&](std::string_view number, std::string_view author, std::uint32_t order) {
    return FormatWithArgs(
               Text(msg::kHistoryEntry),
               std::array<MessageArg, 4>{"# ", number, author,
                                         LocalDateText(std::int64_t{kBaseTime + order * 3600})},
               4096) +
           "\n";
  };
  const std::string expected = "/* $" + Text(msg::kKeywordLog) + ": " + path_ + " $\n" +
                               "# \n"
                               "#   the module\n"
                               "#   line two\n"
                               "# \n" +
                               entry("1.2.1.2", "bob", 5) +
                               "#   branch fix\n"
                               "# \n" +
                               entry("1.2.1.1", "ann", 4) +
                               "#   branch start\n"
                               "# \n" +
                               entry("1.2", "bob", 3) +
                               "#   second change\n"
                               "#   with two lines\n"
                               "# \n" +
                               entry("1.1", "ann", 2) +
                               "#   first change\n"
                               "# \n" +
                               entry("1.0", "bob", 1) +
                               "#   initial\n"
                               "# \n"
                               "# $" +
                               Text(msg::kKeywordLogEnd) + "$ */\n";
  EXPECT_EQ(expanded, expected);
}

TEST_F(HistoryTest, NumberAfterTheNameLimitsTheEntries) {
  const KeywordExpansionContext context = Context(Number({{1, 2}, {1, 2}}));
  using V = std::vector<std::string>;
  EXPECT_EQ(EntryNumbers(Expand(context, LogKeyword("3"))), (V{"1.2.1.2", "1.2.1.1", "1.2"}));
  EXPECT_EQ(EntryNumbers(Expand(context, LogKeyword("1"))), (V{"1.2.1.2"}));
  EXPECT_EQ(EntryNumbers(Expand(context, LogKeyword("99"))),
            (V{"1.2.1.2", "1.2.1.1", "1.2", "1.1", "1.0"}));
  const std::string none = Expand(context, LogKeyword("0"));
  EXPECT_TRUE(EntryNumbers(none).empty());
  EXPECT_NE(none.find("#   line two\n# \n# $" + Text(msg::kKeywordLogEnd) + "$"), std::string::npos)
      << none;
  // The digits are not written back: the keyword reads as the plain name.
  EXPECT_EQ(none.rfind("$" + Text(msg::kKeywordLog) + ": " + path_ + " $\n", 0), 0u);
}

TEST_F(HistoryTest, WithoutANumberTheRevisionCountLimitsTheEntries) {
  header_.fixed._iRevisionCount = 2;
  const KeywordExpansionContext context = Context(Number({{1, 3}}));
  EXPECT_EQ(EntryNumbers(Expand(context, LogKeyword())), (std::vector<std::string>{"1.3", "1.2"}));
}

TEST_F(HistoryTest, EveryLogKeywordGetsItsHistoryAndTheStreamIsPutBack) {
  ASSERT_TRUE(logfile_->Seek(7));
  const KeywordExpansionContext context = Context(Number({{1, 1}}));
  const std::string expanded = Expand(context, LogKeyword("1") + "\n" + LogKeyword("2") + "\n");
  EXPECT_EQ(EntryNumbers(expanded), (std::vector<std::string>{"1.1", "1.1", "1.0"}));
  EXPECT_EQ(logfile_->Tell(), 7);
}

TEST_F(HistoryTest, DamagedRecordsFailTheExpansionAndLeaveTheFetchedFileAlone) {
  // Cut the logfile inside the record of 1.1 (the record of 1.0 is 57 bytes).
  std::vector<std::uint8_t> bytes = ReadBytes(path_);
  bytes.resize(bytes.size() - 60);
  const std::string damaged = dir_.File("damaged.d");
  WriteBytes(damaged, bytes);
  std::optional<platform::File> stream = platform::File::Open(damaged, platform::OpenMode::kRead);
  ASSERT_TRUE(stream);

  tarnEnvironVars environment;
  environment.tempDirectory = dir_.path().string() + "/";
  KeywordExpansionContext context = Context(Number({{1, 1}}));
  context.logfile = &*stream;
  context.environment = &environment;
  context.fetchedFile = dir_.File("fetched");
  const std::string original = "keep " + LogKeyword() + " " + "$" + Text(msg::kKeywordAuthor) + "$";
  WriteBytes(context.fetchedFile, std::vector<std::uint8_t>(original.begin(), original.end()));

  EXPECT_EQ(ExpandKeywords(context), -1);
  EXPECT_FALSE(host_.messages().empty());
  EXPECT_EQ(ReadBytes(context.fetchedFile),
            std::vector<std::uint8_t>(original.begin(), original.end()));
}

}  // namespace
}  // namespace tarn
