#include "engine/text/comment_prefix.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

class CommentPrefixTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  std::string Choose(std::string_view settings_list, std::string_view name) {
    return ChooseCommentPrefix(CommentPrefixList(settings_list), name);
  }

  testing::RecordingHost host_;
};

TEST_F(CommentPrefixTest, DefaultListByExtension) {
  EXPECT_EQ(Choose("", "main.cpp"), " *  ");
  EXPECT_EQ(Choose("", "MAIN.C"), " *  ");
  EXPECT_EQ(Choose("", "prog.bas"), "REM ");
  EXPECT_EQ(Choose("", "calc.for"), "C  ");
  EXPECT_EQ(Choose("", "unit.pas"), " * ");
  EXPECT_EQ(Choose("", "boot.asm"), ";  ");
  // A name without a dot takes the entry with the empty extension.
  EXPECT_EQ(Choose("", "makefile"), "#  ");
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(CommentPrefixTest, UnknownExtensionGetsThreeBlanksAndIsReported) {
  EXPECT_EQ(Choose("", "notes.txt"), "   ");
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kStatus);
  EXPECT_NE(host_.messages()[0].text.find(".TXT"), std::string::npos);
}

TEST_F(CommentPrefixTest, ComparedPartMustBeFollowedByTheColon) {
  // ".CP" is the start of ".CPP:" but the character after it is not ':'.
  EXPECT_EQ(Choose("", "a.cp"), "   ");
  EXPECT_TRUE(host_.Saw(".CP"));
}

TEST_F(CommentPrefixTest, SettingsEntriesComeFirst) {
  EXPECT_EQ(Choose(".TXT:// ~", "notes.txt"), "// ");
  EXPECT_EQ(Choose(".TXT:// ~", "main.c"), " *  ");
  EXPECT_EQ(Choose(".C:// ~", "main.c"), "// ");
}

TEST_F(CommentPrefixTest, SettingsListWithoutFinalTildeRunsIntoTheDefaults) {
  // ".TXT:-- " joined with ".C: *  " gives one entry ".TXT:-- .C: *  ".
  EXPECT_EQ(Choose(".TXT:-- ", "notes.txt"), "-- .C: *  ");
  EXPECT_EQ(Choose(".TXT:-- ", "main.c"), "   ");  // the .C entry was swallowed
}

TEST_F(CommentPrefixTest, EmptyEntriesAreSkipped) {
  EXPECT_EQ(ChooseCommentPrefix("~~.X:x~~", "a.x"), "x");
  EXPECT_EQ(ChooseCommentPrefix("~~~", "a.x"), "   ");
  EXPECT_EQ(ChooseCommentPrefix("", "a"), "   ");
}

TEST_F(CommentPrefixTest, ExtensionIsTakenFromTheFinalComponentOnly) {
  EXPECT_EQ(UpperCaseExtension("src.v2/makefile"), "");
  EXPECT_EQ(UpperCaseExtension("dir/main.Cpp"), ".CPP");
  EXPECT_EQ(UpperCaseExtension("name."), ".");
  EXPECT_EQ(Choose("", "src.v2/makefile"), "#  ");
}

}  // namespace
}  // namespace tarn
