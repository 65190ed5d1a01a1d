// Header information objects: revision numbers, labels and the header as a
// client reads it, checked against logfiles written byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "objects/log_file_header_info.h"
#include "objects/rev_desc.h"
#include "objects/version_desc.h"
#include "platform/file.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LogfileBuilder;

TEST(RevDescTest, ElementLimits) {
  tRevDesc revision;
  EXPECT_EQ(revision.AddRevision(3, 7, 19), ttTRUE);
  EXPECT_EQ(revision.iElementCount(), 20);
  EXPECT_EQ(revision.AddRevision(3, 7, 20), ttFALSE);
  EXPECT_EQ(revision.AddRevision(3, 7, -1), ttFALSE);
  EXPECT_EQ(revision.iElementCount(20), ttFALSE);
  EXPECT_EQ(revision.iElementCount(-1), ttFALSE);
  EXPECT_EQ(revision.iElementCount(), 20);
}

TEST(RevDescTest, TextFollowsEveryChange) {
  tRevDesc revision;
  EXPECT_STREQ(revision.RevisionString(), "");
  revision.AddRevision(1, 2, 0);
  EXPECT_STREQ(revision.RevisionString(), "1.2");
  revision.AddRevision(1, -1, 1);  // a branch shows its major alone
  EXPECT_STREQ(revision.RevisionString(), "1.2.1");
  revision.AddRevision(1, 4, 1);
  EXPECT_STREQ(revision.RevisionString(), "1.2.1.4");
  revision.iElementCount(1);
  EXPECT_STREQ(revision.RevisionString(), "1.2");
}

TEST(RevDescTest, CopiesTheEnginesDescriptor) {
  tarnCommandRevDesc engine;
  engine.iElementCount = 2;
  engine.iRangeEnd = 5;
  engine.elements[0] = {kMatchExact, 1, kMatchExact, 3};
  engine.elements[1] = {kMatchExact, 2, kMatchWildcard, 7};
  const tRevDesc revision(&engine);
  EXPECT_STREQ(revision.RevisionString(), "1.3.2.7");
  EXPECT_EQ(revision.Descriptor(), engine);
  EXPECT_EQ(tRevDesc(nullptr).iElementCount(), 0);

  tRevDesc copy(revision);
  copy.AddRevision(9, 9, 0);
  EXPECT_STREQ(revision.RevisionString(), "1.3.2.7");
  EXPECT_STREQ(copy.RevisionString(), "9.9");
}

TEST(VersionDescTest, FormatsRevisionAndText) {
  LabelRecord floating;
  floating.iRevisionCount = 2;
  floating.iCreator = 3;
  floating.elements[0] = {1, 2};
  floating.elements[1] = {1, -1};
  floating.text = "BRANCH_TIP";
  const tVersionDesc label(floating);
  EXPECT_STREQ(label.RevAndVersion(), "1.2.1 -- BRANCH_TIP");
  EXPECT_STREQ(label.Version(), "BRANCH_TIP");
  EXPECT_EQ(label.Creator(), 3);

  const tVersionDesc fresh;
  EXPECT_EQ(fresh.Creator(), -1);
  EXPECT_STREQ(fresh.RevAndVersion(), " -- ");
}

class HeaderInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  // Reads the header of what `builder` writes.
  tLogFileHeaderInfo Read(const LogfileBuilder& builder) {
    const std::string path = dir_.File("main.d");
    builder.WriteTo(path);
    std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kRead);
    EXPECT_TRUE(file.has_value());
    tLogFileHeaderInfo info;
    EXPECT_EQ(info.ReadFrom(*file), ttTRUE);
    return info;
  }

  testing::TempDir dir_;
};

TEST_F(HeaderInfoTest, ReadsEveryPartOfTheHeader) {
  LogfileBuilder builder;
  builder.Access("alice,bob")
      .Modifiers("alice,bob,carol")
      .Owner("bob")
      .CommentPrefix("// ")
      .Description("the module")
      .Attributes(kAttrCheckLock | kAttrCompression | kAttrBinaryFile)
      .SupplementalInfo("/home/bob/main.c", 1, 1700000000, 4242)
      .DefaultRevision({{1, 2}, {1, 3}})
      .AddLabel({{1, 2}}, "REL_2", 0)
      .AddLabel({{1, 2}, {1, -1}}, "ON_BRANCH", 1)
      .AddLabel({{1, 1}}, "REL_1", 2)
      .AddRevision({.major = 1, .minor = 2, .locked = 1, .tip = 1, .data = "text\n"});
  tLogFileHeaderInfo info = Read(builder);

  EXPECT_STREQ(info.AccessList(), "alice,bob");
  EXPECT_STREQ(info.ModifierList(), "alice,bob,carol");
  EXPECT_STREQ(info.Owner(), "bob");
  EXPECT_STREQ(info.CommentPrefix(), "// ");
  EXPECT_STREQ(info.ModDesc(), "the module");
  EXPECT_STREQ(info.WorkfileName(), "/home/bob/main.c");
  EXPECT_EQ(info.MajorNumber(), 1);
  EXPECT_EQ(info.MinorNumber(), 2);
  EXPECT_EQ(info.RevisionCount(), 1);
  EXPECT_EQ(info.LockCount(), 1);
  EXPECT_EQ(info.IsCheckLock(), ttTRUE);
  EXPECT_EQ(info.IsCompression(), ttTRUE);
  EXPECT_EQ(info.IsBinaryFile(), ttTRUE);
  EXPECT_EQ(info.IsProtectLogFile(), ttFALSE);
  EXPECT_EQ(info.IsExpandKeywords(), ttFALSE);
  EXPECT_STREQ(info.DefaultRevision(), "1.2.1.3");
  EXPECT_EQ(info.LastModifierIndex(), 1);
  EXPECT_EQ(info.LastLogfileUpdate(), 1700000000L);
  EXPECT_EQ(info.LastWorkfileSize(), 4242L);

  // Labels in stored order, then null; FirstVersion starts over.
  std::vector<std::string> seen;
  for (tVersionDesc* label = info.FirstVersion(); label != nullptr; label = info.NextVersion()) {
    seen.emplace_back(label->RevAndVersion());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1.2 -- REL_2", "1.2.1 -- ON_BRANCH", "1.1 -- REL_1"}));
  EXPECT_EQ(info.NextVersion(), nullptr);
  ASSERT_NE(info.FirstVersion(), nullptr);
  EXPECT_STREQ(info.FirstVersion()->Version(), "REL_2");
  EXPECT_EQ(info.NextVersion()->Creator(), 1);
}

TEST_F(HeaderInfoTest, WithoutDefaultRevisionOrLabels) {
  tLogFileHeaderInfo info = Read(LogfileBuilder());
  EXPECT_STREQ(info.DefaultRevision(), MessageText(msg::kWordTrunkTip.number));
  EXPECT_EQ(info.DefaultRevDesc(), nullptr);
  EXPECT_EQ(info.FirstVersion(), nullptr);
  EXPECT_EQ(info.NextVersion(), nullptr);
  // A zeroed supplemental information holds no statistics.
  EXPECT_EQ(info.LastModifierIndex(), -1);
  EXPECT_EQ(info.LastLogfileUpdate(), 0L);
  EXPECT_EQ(info.LastWorkfileSize(), 0L);
}

TEST_F(HeaderInfoTest, IsValidUserMatchesWholeEntriesOnly) {
  tLogFileHeaderInfo info;
  for (const char* name : {"alice", "", "al"}) EXPECT_EQ(info.IsValidUser(name), ttFALSE) << name;
  info.AccessList("alice,bob,Carol");
  EXPECT_EQ(info.IsValidUser("alice"), ttTRUE);
  EXPECT_EQ(info.IsValidUser("bob"), ttTRUE);
  EXPECT_EQ(info.IsValidUser("Carol"), ttTRUE);
  EXPECT_EQ(info.IsValidUser("carol"), ttFALSE);
  EXPECT_EQ(info.IsValidUser("ali"), ttFALSE);
  EXPECT_EQ(info.IsValidUser("alice,bob"), ttFALSE);
  EXPECT_EQ(info.IsValidUser(nullptr), ttFALSE);
}

TEST_F(HeaderInfoTest, TextSettersKeepTheSizeFieldsInStep) {
  tLogFileHeaderInfo info;
  EXPECT_EQ(info.LogFileHdr()._iFormat, 0);  // a new record is all zeros
  info.AccessList("ab").ModifierList("abc").Owner("a").CommentPrefix("# ").ModDesc("");
  EXPECT_EQ(info.LogFileHdr()._iAccessSize, 3);
  EXPECT_EQ(info.LogFileHdr()._iModifierSize, 4);
  EXPECT_EQ(info.LogFileHdr()._iOwnerSize, 2);
  EXPECT_EQ(info.LogFileHdr()._iCommentSize, 3);
  EXPECT_EQ(info.LogFileHdr()._iDescSize, 1);
}

TEST_F(HeaderInfoTest, WorkfileNameKeepsTheStatistics) {
  LogfileBuilder builder;
  builder.SupplementalInfo("/old/place/main.c", 2, 1234567, 99);
  tLogFileHeaderInfo info = Read(builder);
  info.WorkfileName("/new/main.c");
  EXPECT_STREQ(info.WorkfileName(), "/new/main.c");
  EXPECT_EQ(info.LogFileHdr()._iSupplementalInfoSize, 516);
  ASSERT_EQ(info.SupplementalInfo().size(), 516u);
  const std::vector<std::uint8_t>& bytes = info.SupplementalInfo();
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 12), std::string("/new/main.c\0", 12));
  EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 25), std::string("2~1234567~99\0", 13));
  EXPECT_EQ(info.LastModifierIndex(), 2);
  EXPECT_EQ(info.LastLogfileUpdate(), 1234567L);
  EXPECT_EQ(info.LastWorkfileSize(), 99L);
}

TEST_F(HeaderInfoTest, WorkfileNameWithoutOldInformation) {
  tLogFileHeaderInfo info;
  info.WorkfileName("w.c");
  EXPECT_EQ(info.LogFileHdr()._iSupplementalInfoSize, 516);
  EXPECT_EQ(info.SupplementalInfo().size(), 516u);
  EXPECT_EQ(info.LastModifierIndex(), -1);

  // A name that fills the whole field is cut so that the field keeps its
  // NUL and stays 516 bytes.
  const std::string longName(600, 'n');
  info.WorkfileName(longName.c_str());
  EXPECT_EQ(info.SupplementalInfo().size(), 516u);
  EXPECT_EQ(info.SupplementalInfo()[513], 'n');
  EXPECT_EQ(info.SupplementalInfo()[514], 0);
  EXPECT_EQ(info.SupplementalInfo()[515], 0);
  EXPECT_EQ(std::string(info.WorkfileName()), longName);
}

TEST_F(HeaderInfoTest, CopiesAreDeep) {
  LogfileBuilder builder;
  builder.AddLabel({{1, 1}}, "ONE", 0);
  tLogFileHeaderInfo original = Read(builder);
  tLogFileHeaderInfo copy(original);
  original.Owner("changed");
  EXPECT_STREQ(copy.Owner(), "alice");
  tLogFileHeaderInfo assigned;
  assigned = copy;
  copy.ModDesc("x");
  EXPECT_STREQ(assigned.ModDesc(), "");
  ASSERT_NE(assigned.FirstVersion(), nullptr);
  EXPECT_STREQ(assigned.FirstVersion()->Version(), "ONE");
}

TEST_F(HeaderInfoTest, ShortOrDamagedHeaderLeavesTheObjectAsItWas) {
  LogfileBuilder builder;
  builder.Owner("bob").AddLabel({{1, 1}}, "LABEL", 0);
  const std::vector<std::uint8_t> whole = builder.HeaderBytes();
  testing::RecordingHost host;  // the reader reports each refusal
  tLogFileHeaderInfo info;
  info.Owner("before");
  // Every cut of the header is refused.
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::string path = dir_.File("cut.d");
    testing::WriteBytes(path, std::span(whole.data(), size));
    std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kRead);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(info.ReadFrom(*file), ttFALSE) << size;
  }
  EXPECT_STREQ(info.Owner(), "before");
  EXPECT_EQ(info.FirstVersion(), nullptr);
}

}  // namespace
}  // namespace tarn
