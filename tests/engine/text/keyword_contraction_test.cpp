#include "engine/text/keyword_contraction.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

class KeywordContractionTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  // Contracts `text`; the counted contractions and notes go to the members.
  std::string Contract(std::string_view text) {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    ContractedText result = ContractKeywords(bytes);
    counted_ = result.countedContractions;
    notes_ = result.notes;
    return std::string(result.text.begin(), result.text.end());
  }

  int counted_ = 0;
  std::vector<std::string> notes_;
};

TEST_F(KeywordContractionTest, ValuesOfExpandedKeywordsAreDropped) {
  EXPECT_EQ(Contract("id $Revision: 1.3 $ end"), "id $Revision$ end");
  EXPECT_EQ(counted_, 1);
  EXPECT_EQ(Contract("$Date: Mon Jan  1 10:00:00 2024 $\n$Label: REL1 $\n"
                     "$Header: main.c  Revision:1.3  date  me $\n$Name: main REL1 $\n"),
            "$Date$\n$Label$\n$Header$\n$Name$\n");
  EXPECT_EQ(counted_, 4);
}

TEST_F(KeywordContractionTest, OwnerWorkfileAuthorAndLogfileAreNotCounted) {
  EXPECT_EQ(Contract("$Owner: ann $ $Workfile: /w/a.c $ $Author: bob $ $Logfile: /l/a.d $"),
            "$Owner$ $Workfile$ $Author$ $Logfile$");
  EXPECT_EQ(counted_, 0);
}

TEST_F(KeywordContractionTest, LogHistoryIsDroppedUpToItsEndMarker) {
  const std::string expanded =
      "/* $Log: /l/a.d $\n *  \n *  module text\n *  \n"
      " * Revision 1.1  by ann  date\n *  change\n *  \n * $EndLog$\n */\nint x;\n";
  EXPECT_EQ(Contract(expanded), "/* $Log$\n */\nint x;\n");
  EXPECT_EQ(counted_, 1);
  // The digits that limit the history are kept.
  EXPECT_EQ(Contract("$Log12: /l/a.d $ history $EndLog$ tail"), "$Log12$ tail");
  // Without an end marker only the value goes.
  EXPECT_EQ(Contract("$Log: /l/a.d $ rest of the file"), "$Log$ rest of the file");
}

TEST_F(KeywordContractionTest, LongerNamesWinOverTheirPrefixes) {
  // Logfile is tried before Log.
  EXPECT_EQ(Contract("$Logfile: /l/a.d $"), "$Logfile$");
  EXPECT_EQ(counted_, 0);
}

TEST_F(KeywordContractionTest, NoticeNeedsBlankAndCopyrightSign) {
  EXPECT_EQ(Contract("$Copyright \xA9 the authors $."), "$Copyright$.");
  EXPECT_EQ(counted_, 0);
  EXPECT_EQ(Contract("$Copyright: x $"), "$Copyright: x $");
}

TEST_F(KeywordContractionTest, NoteLeavesTheTextAndGoesToTheDescription) {
  EXPECT_EQ(Contract("a$Note: fixed the loop $b$Note:second$c"), "abc");
  EXPECT_EQ(notes_, (std::vector<std::string>{" fixed the loop ", "second"}));
  EXPECT_EQ(DescriptionWithNotes("first line", notes_), "first line\n\n fixed the loop \n\nsecond");
  EXPECT_EQ(DescriptionWithNotes("unchanged", {}), "unchanged");
}

TEST_F(KeywordContractionTest, UnexpandedUnknownAndUnclosedKeywordsStayAsTheyAre) {
  EXPECT_EQ(Contract("$Revision$ $Unknown: x $ $ $$ cost $5"),
            "$Revision$ $Unknown: x $ $ $$ cost $5");
  EXPECT_EQ(counted_, 0);
  EXPECT_EQ(Contract("tail $Revision: 1.3"), "tail $Revision: 1.3");
  EXPECT_EQ(Contract("$"), "$");
  EXPECT_EQ(Contract(""), "");
  // Letter case counts.
  EXPECT_EQ(Contract("$revision: 1.3 $"), "$revision: 1.3 $");
}

TEST_F(KeywordContractionTest, BinaryBytesPassThrough) {
  std::string data;
  for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
  data += "$Revision: 2.0 $";
  data += std::string("\0\xFF$", 3);
  std::string expected = data;
  expected.replace(256, 16, "$Revision$");
  EXPECT_EQ(Contract(data), expected);
}

}  // namespace
}  // namespace tarn
