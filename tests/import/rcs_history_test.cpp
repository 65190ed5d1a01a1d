// Reading ,v texts written out by hand into a checked history: @-quoting,
// the tree of trunk and branches, symbols, locks, keyword modes, phrases of
// other writers, dates; and damaged texts, each refused with its reason.
#include "import/rcs_history.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "import/rcs_date.h"
#include "import/rcs_file.h"
#include "tests/support/test_support.h"

namespace tarn::rcs {
namespace {

// Made with ci as the tests below need it: 1.1, then 1.2 ending without a
// newline, a branch 1.1.1.1, a name on the branch and one on 1.2, 1.2
// locked, a log message with an @ and a description.
const std::string kBranchedFile =
    "head\t1.2;\naccess;\nsymbols\n\tBR:1.1.1\n\tREL:1.2;\nlocks\n\troot:1.2; strict;\n"
    "comment\t@ * @;\n\n\n"
    "1.2\ndate\t2026.12.08.13.37.13;\tauthor root;\tstate Exp;\nbranches;\nnext\t1.1;\n\n"
    "1.1\ndate\t99.01.01.00.00.00;\tauthor ann;\tstate Rel;\nbranches\n\t1.1.1.1;\nnext\t;\n\n"
    "1.1.1.1\ndate\t2000.02.29.23.59.59;\tauthor bob;\tstate Exp;\nbranches;\nnext\t;\n\n\n"
    "desc\n@A file\n@\n\n\n"
    "1.2\nlog\n@second\n@\ntext\n@one\n2\nthree\nfour@\n\n\n"
    "1.1\nlog\n@first @@ log\n@\ntext\n@d2 1\na2 1\ntwo\nd4 1\n@\n\n\n"
    "1.1.1.1\nlog\n@on branch\n@\ntext\n@d2 1\na2 1\nbranch\n@\n";

std::optional<History> Read(const std::string& text) {
  std::optional<RcsFile> file = ReadRcsFile(text, "f.c,v");
  if (!file) return std::nullopt;
  return BuildHistory(std::move(*file), "f.c,v");
}

// Replaces the first `from` in `text` by `to`.
std::string Edited(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class RcsHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }
  testing::RecordingHost host_;
};

TEST_F(RcsHistoryTest, ReadsTrunkBranchSymbolsLocksAndTexts) {
  const std::optional<History> history = Read(kBranchedFile);
  ASSERT_TRUE(history) << host_.All();
  ASSERT_EQ(history->revisions.size(), 3U);
  const HistoryRevision& first = history->revisions[0];
  const HistoryRevision& second = history->revisions[1];
  const HistoryRevision& branch = history->revisions[2];
  EXPECT_EQ(first.number, (Number{1, 1}));
  EXPECT_EQ(second.number, (Number{1, 2}));
  EXPECT_EQ(branch.number, (Number{1, 1, 1, 1}));
  EXPECT_EQ(first.text, "one\ntwo\nthree\n");
  EXPECT_EQ(second.text, "one\n2\nthree\nfour");
  EXPECT_EQ(branch.text, "one\nbranch\nthree\n");
  EXPECT_EQ(first.log, "first @ log\n");
  EXPECT_EQ(first.author, "ann");
  EXPECT_EQ(first.state, "Rel");
  EXPECT_EQ(first.date, 915148800);
  EXPECT_EQ(second.date, 1796737033);
  EXPECT_EQ(branch.date, 951868799);
  EXPECT_EQ(first.base, std::nullopt);
  EXPECT_EQ(second.base, std::optional<std::size_t>(0));
  EXPECT_EQ(branch.base, std::optional<std::size_t>(0));
  EXPECT_FALSE(second.startsBranch);
  EXPECT_TRUE(branch.startsBranch);
  ASSERT_EQ(history->symbols.size(), 2U);
  EXPECT_EQ(history->symbols[0].first, "BR");
  EXPECT_EQ(history->symbols[0].second, (Number{1, 1, 1}));
  EXPECT_EQ(history->symbols[1].first, "REL");
  ASSERT_EQ(history->locks.size(), 1U);
  EXPECT_EQ(history->locks[0].first, "root");
  EXPECT_EQ(history->locks[0].second, (Number{1, 2}));
  EXPECT_TRUE(history->strict);
  EXPECT_EQ(history->comment, std::optional<std::string>(" * "));
  EXPECT_EQ(history->expand, "");
  EXPECT_EQ(history->description, "A file\n");
}

TEST_F(RcsHistoryTest, KeepsBinaryBytesAndTheKeywordModeAndSkipsOtherWritersPhrases) {
  const std::string binary = std::string("\0\x01\xff@@\n\x80", 8);
  const std::string text =
      "head 1.1; branch 1.1.1; access ann bob; symbols; locks; integrity @x^Ly@;\n"
      "comment @# @; expand @b@; newphrase word : 1.2 @str@;\n"
      "1.1 date 2024.05.06.07.08.09; author ann; state; branches; next ;\n"
      "commitid abc123; kopt @b@;\n"
      "desc @@\n"
      "1.1 log @@ deltatype @text@; text @" +
      binary + "@\n";
  const std::optional<History> history = Read(text);
  ASSERT_TRUE(history) << host_.All();
  ASSERT_EQ(history->revisions.size(), 1U);
  EXPECT_EQ(history->revisions[0].text, std::string("\0\x01\xff@\n\x80", 7));
  EXPECT_EQ(history->revisions[0].state, "");
  EXPECT_EQ(history->expand, "b");
  EXPECT_EQ(history->defaultBranch, std::optional<Number>(Number{1, 1, 1}));
  EXPECT_EQ(history->access, (std::vector<std::string>{"ann", "bob"}));
  EXPECT_EQ(history->description, "");
}

TEST_F(RcsHistoryTest, RefusesDamagedFilesNamingWhatIsWrong) {
  struct Damage {
    const char* what;
    std::string text;
    const char* message;
  };
  const Damage cases[] = {
      {"empty file", "", "line 1: the file ends too early"},
      {"cut inside a string", kBranchedFile.substr(0, kBranchedFile.find("three\nfour")),
       "a string opened here is never closed by @"},
      {"cut before the texts", kBranchedFile.substr(0, kBranchedFile.find("desc")),
       "the file ends too early"},
      {"a text missing", kBranchedFile.substr(0, kBranchedFile.find("1.1.1.1\nlog")),
       "revision 1.1.1.1 has no log message and text"},
      {"a single @ inside a string", Edited(kBranchedFile, "first @@ log", "first @ log"),
       "f.c,v, line "},
      {"script points past the text", Edited(kBranchedFile, "d4 1\n@", "d5 1\n@"),
       "the edit script of revision 1.1 is damaged in its line 4"},
      {"script of a branch adds past the end",
       Edited(kBranchedFile, "a2 1\nbranch", "a9 1\nbranch"),
       "the edit script of revision 1.1.1.1 is damaged in its line 2"},
      {"bad revision number", Edited(kBranchedFile, "next\t1.1;", "next\t1..1;"),
       "'1..1' is not a revision number"},
      {"bad date", Edited(kBranchedFile, "2026.12.08", "2026.13.08"),
       "revision 1.2 has the date '2026.13.08.13.37.13', which is no date"},
      {"next names nothing", Edited(kBranchedFile, "next\t1.1;", "next\t1.0;"),
       "revision 1.0 is named but never described"},
      {"trunk not decreasing",
       Edited(Edited(kBranchedFile, "head\t1.2;", "head\t1.1;"), "next\t;\n\n1.1.1.1",
              "next\t1.2;\n\n1.1.1.1"),
       "revision 1.2 is not linked where its number puts it"},
      {"a delta reached by nothing", Edited(kBranchedFile, "branches\n\t1.1.1.1;", "branches;"),
       "revision 1.1.1.1 is not linked where its number puts it"},
      {"a text for no delta", kBranchedFile + "\n1.5\nlog\n@@\ntext\n@@\n",
       "revision 1.5 is named but never described"},
      {"a text given twice", kBranchedFile + "\n1.2\nlog\n@@\ntext\n@@\n",
       "revision 1.2 is described twice"},
      {"lock on a missing revision", Edited(kBranchedFile, "root:1.2;", "root:1.7;"),
       "the lock of root names revision 1.7, which the file does not hold"},
      {"user with a comma", Edited(kBranchedFile, "author ann;", "author a,nn;"),
       "'a,nn' is not a user name"},
      {"no revision at all", "head ;\naccess;\nsymbols;\nlocks;\ndesc\n@@\n", "holds no revision"},
  };
  for (const Damage& c : cases) {
    host_.Clear();
    EXPECT_FALSE(Read(c.text)) << c.what;
    EXPECT_TRUE(host_.Saw(c.message)) << c.what << ": " << host_.All();
    EXPECT_TRUE(host_.Saw("f.c,v")) << c.what;
  }
}

TEST_F(RcsHistoryTest, EveryCutShortCopyIsRefused) {
  // Everything up to the last string's closing @ is needed.
  const std::size_t needed = kBranchedFile.rfind('@') + 1;
  for (std::size_t length = 0; length < needed; ++length) {
    host_.Clear();
    EXPECT_FALSE(Read(kBranchedFile.substr(0, length))) << length;
    EXPECT_FALSE(host_.messages().empty()) << length;
  }
  EXPECT_TRUE(Read(kBranchedFile.substr(0, needed)));
}

TEST(RcsDate, ReadsBothYearFormsAndRefusesNonDates) {
  EXPECT_EQ(ParseRcsDate("70.01.01.00.00.00"), std::optional<std::int64_t>(0));
  EXPECT_EQ(ParseRcsDate("99.01.01.00.00.00"), std::optional<std::int64_t>(915148800));
  EXPECT_EQ(ParseRcsDate("2000.02.29.23.59.59"), std::optional<std::int64_t>(951868799));
  EXPECT_EQ(ParseRcsDate("2026.12.08.13.37.13"), std::optional<std::int64_t>(1796737033));
  for (const char* bad : {"", "2001.02.29.00.00.00", "2000.00.10.00.00.00", "2000.01.01.24.00.00",
                          "2000.01.01.00.60.00", "2000.01.01.00.00", "2000.01.01.00.00.00.00",
                          "2000.1x.01.00.00.00", "2000.01.-1.00.00.00", "2000.01.01.00.00.000"}) {
    EXPECT_EQ(ParseRcsDate(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace tarn::rcs
