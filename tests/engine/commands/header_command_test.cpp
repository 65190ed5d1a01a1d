// The modify-header command on logfiles written by the tests' own builder:
// each change with its rule, read back byte by byte; the notes in the
// journal; the check-lock guard; and refusals that leave the logfile as it
// was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/header_sandbox.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

using testing::HeaderSandbox;
using testing::RawLogfile;
using testing::ReadRawLogfile;

namespace fs = std::filesystem;

std::string Opt(const MessageId& id) { return HeaderSandbox::Option(id.number); }
std::string Word(const MessageId& id) { return MessageText(id.number); }

class HeaderCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.env.attributes = kAttrJournalFile;  // the caller's word decides the journal
    box_.Write(HeaderSandbox::Standard());
  }

  // Runs tmh with `words` between the command word and the file name.
  int Tmh(std::vector<std::string> words) {
    words.insert(words.begin(), "tmh");
    words.push_back("main.c");
    return box_.ModifyHeader(words);
  }
  int Change(const MessageId& option, const std::string& value) {
    return Tmh({Opt(msg::kOptionText), value, Opt(option)});
  }

  RawLogfile Raw() const {
    std::string error;
    std::optional<RawLogfile> raw = ReadRawLogfile(box_.Logfile(), &error);
    EXPECT_TRUE(raw.has_value()) << error;
    return raw.value_or(RawLogfile{});
  }

  // The journal's entry text after the date and time fields.
  std::string JournalText() const {
    const std::string journal = box_.Journal();
    std::size_t at = 0;
    for (int field = 0; field < 4 && at != std::string::npos; ++field) {
      at = journal.find(',', at);
      if (at != std::string::npos) ++at;
    }
    return at == std::string::npos ? journal : journal.substr(at);
  }

  // A fresh logfile, no journal, no messages.
  void Reset() {
    box_.Write(HeaderSandbox::Standard());
    fs::remove(box_.env.journalPath + box_.env.journalName);
    box_.host.Clear();
  }

  void ExpectRefused(const std::string& message) {
    EXPECT_TRUE(box_.host.Saw(message)) << box_.host.All();
    EXPECT_TRUE(box_.Unchanged());
    EXPECT_EQ(box_.Journal(), "");
    EXPECT_EQ(box_.LogDirectory(), std::vector<std::string>{"main.d"});
  }

  HeaderSandbox box_;
};

TEST_F(HeaderCommandTest, AccessListWithANewNameAddsItToTheKnownUsers) {
  ASSERT_EQ(Change(msg::kOptionAccessList, "bob,erin\nalice,bob,,"), 1) << box_.host.All();
  const RawLogfile raw = Raw();
  EXPECT_EQ(raw.accessList, "bob,erin,alice");
  EXPECT_EQ(raw.modifierList, "alice,bob,carol,erin");
  EXPECT_EQ(box_.RecordsNow(), box_.RecordsWritten());
  EXPECT_EQ(box_.Labels(), "1.0 OLD/0, 1.1.1 FLOAT/1");
  EXPECT_EQ(JournalText(),
            "tmh -access  main.c\naccess list changed from 'alice,bob,dave' to "
            "'bob,erin,alice'\n");
}

TEST_F(HeaderCommandTest, AccessListWithoutNames) {
  EXPECT_EQ(Change(msg::kOptionAccessList, ",\n,,"), -1);
  ExpectRefused("the access list ',\n,,' holds no names");
}

TEST_F(HeaderCommandTest, AddingUsers) {
  ASSERT_EQ(Change(msg::kOptionAddUsers, "erin\nfrank"), 1) << box_.host.All();
  EXPECT_EQ(Raw().modifierList, "alice,bob,carol,erin,frank");
  EXPECT_EQ(JournalText(), "tmh -adduser  main.c\nusers added: erin\nfrank\n");

  Reset();
  EXPECT_EQ(Change(msg::kOptionAddUsers, "gina,hal,gina"), -1);
  ExpectRefused("user 'gina' is known to this logfile already");
  EXPECT_EQ(Change(msg::kOptionAddUsers, "carol"), -1);
  ExpectRefused("user 'carol' is known");
}

TEST_F(HeaderCommandTest, Owner) {
  EXPECT_EQ(Change(msg::kOptionOwner, "carol"), -1);  // known, but not in the access list
  ExpectRefused("'carol' is not in the access list and cannot become the owner");
  EXPECT_EQ(Change(msg::kOptionOwner, "Dave"), -1);  // names are compared exactly
  ASSERT_EQ(Change(msg::kOptionOwner, "dave"), 1);
  EXPECT_EQ(Raw().owner, "dave");
  EXPECT_EQ(JournalText(), "tmh -owner  main.c\nowner changed from alice to dave\n");
}

TEST_F(HeaderCommandTest, CommentPrefixIsTakenAsItIs) {
  ASSERT_EQ(Change(msg::kOptionCommentPrefix, " *\t"), 1);
  EXPECT_EQ(Raw().commentPrefix, " *\t");
  EXPECT_EQ(JournalText(), "tmh -prefix  main.c\ncomment prefix changed from '// ' to ' *\t'\n");
}

TEST_F(HeaderCommandTest, DescriptionIsWrappedBeforeColumn71) {
  const std::string solid(100, 'x');
  ASSERT_EQ(Change(msg::kOptionDescription, solid), 1);
  EXPECT_EQ(Raw().description, solid);

  std::string words;
  for (int i = 0; i < 20; ++i) words += "word" + std::to_string(i % 10) + "\t";
  ASSERT_EQ(Change(msg::kOptionDescription, words), 1);
  // Tabs become blanks; each word and its blank take 6 columns, so the 12th
  // word reaches column 71 and the blank after the 11th becomes a line feed.
  std::string expected;
  for (int i = 0; i < 20; ++i) {
    expected += "word" + std::to_string(i % 10);
    expected += i == 10 ? "\n" : " ";
  }
  EXPECT_EQ(Raw().description, expected);
}

TEST_F(HeaderCommandTest, RenamingALabel) {
  box_.env.userName = "alice";
  ASSERT_EQ(Tmh({Opt(msg::kOptionRenameLabel), "FLOAT", Opt(msg::kOptionText), "it's \"new\"\nx"}),
            1)
      << box_.host.All();
  // Quotes and line feeds become blanks; the renaming user becomes the
  // creator; the label keeps floating.
  EXPECT_EQ(box_.Labels(), "1.0 OLD/0, 1.1.1 it s  new  x/0");
  EXPECT_EQ(JournalText(), "tmh -relabel 'FLOAT' main.c\nlabel renamed to 'it s  new  x'\n");
}

TEST_F(HeaderCommandTest, RenamingALabelRefused) {
  const std::string rename = Opt(msg::kOptionRenameLabel);
  const std::string text = Opt(msg::kOptionText);
  EXPECT_EQ(Tmh({rename, "NONE", text, "X"}), -1);
  ExpectRefused("label 'NONE' not found in main.c");
  EXPECT_EQ(Tmh({rename, "OLD", text, std::string(80, 'y')}), -1);
  ExpectRefused("a label may have at most 79 characters");
  // Labels stay unique.
  EXPECT_EQ(Tmh({rename, "OLD", text, "FLOAT"}), -1);
  ExpectRefused("label 'FLOAT' exists in main.c");
  // dave may change the header but is no known user: a label names its
  // creator by position in that list.
  box_.env.userName = "dave";
  EXPECT_EQ(Tmh({rename, "OLD", text, "NEW"}), -1);
  ExpectRefused(std::string(MessageText(msg::kUserNotInModifierList.number)).substr(4));
  // 79 characters are fine.
  box_.env.userName = "bob";
  EXPECT_EQ(Tmh({rename, "OLD", text, std::string(79, 'y')}), 1);
}

TEST_F(HeaderCommandTest, DefaultBranch) {
  const std::string branch = Opt(msg::kOptionDefaultBranch);
  // A branch revision: its branch, newest revision, becomes the default,
  // stored as (exact 1, exact 1), (exact 1, newest -1).
  ASSERT_EQ(Tmh({branch, "1.1.1.1"}), 1) << box_.host.All();
  testing::RawLogfile header = box_.Header();
  ASSERT_EQ(header.defaultRevision.size(), 2U);
  EXPECT_EQ(header.defaultRevision[0].majorFlag, 0);
  EXPECT_EQ(header.defaultRevision[0].major, 1);
  EXPECT_EQ(header.defaultRevision[0].minorFlag, 0);
  EXPECT_EQ(header.defaultRevision[0].minor, 1);
  EXPECT_EQ(header.defaultRevision[1].majorFlag, 0);
  EXPECT_EQ(header.defaultRevision[1].major, 1);
  EXPECT_EQ(header.defaultRevision[1].minorFlag, 2);
  EXPECT_EQ(header.defaultRevision[1].minor, -1);
  EXPECT_EQ(box_.RecordsNow(), box_.RecordsWritten());
  EXPECT_EQ(JournalText(),
            "tmh main.c\ndefault branch changed from " + Word(msg::kWordTrunkTip) + " to 1.1.1\n");

  // A trunk revision removes the default again.
  ASSERT_EQ(Tmh({branch, "1.2"}), 1);
  EXPECT_TRUE(box_.Header().defaultRevision.empty());
  EXPECT_EQ(box_.Bytes()[12], 0);

  // Without a default, a trunk revision changes nothing at all.
  Reset();
  ASSERT_EQ(Tmh({branch, "1.0"}), 1);
  EXPECT_TRUE(box_.Unchanged());
  EXPECT_EQ(box_.Journal(), "");

  // A branch without revisions.
  EXPECT_EQ(Tmh({branch, "1.2.1.1"}), -1);
  ExpectRefused("revision 1.2.1 does not exist");
}

TEST_F(HeaderCommandTest, AttributesAloneAndWithAChange) {
  const std::string set = Opt(msg::kOptionSet);
  ASSERT_EQ(Tmh({set, Word(msg::kWordCompression) + "=" + Word(msg::kWordYes) + "," +
                          Word(msg::kWordCheckLock) + "=" + Word(msg::kWordYes)}),
            1)
      << box_.host.All();
  EXPECT_EQ(Raw().attributes, kAttrCompression | kAttrCheckLock);
  EXPECT_EQ(JournalText(), "tmh -set CheckLock=yes -set Compression=yes main.c\n");

  ASSERT_EQ(Tmh({set, Word(msg::kWordCompression) + "=" + Word(msg::kWordNo),
                 Opt(msg::kOptionCommentPrefix), Opt(msg::kOptionText), "# "}),
            1);
  EXPECT_EQ(Raw().attributes, kAttrCheckLock);
  EXPECT_EQ(Raw().commentPrefix, "# ");
}

TEST_F(HeaderCommandTest, CheckLockStaysWhileRevisionsAreLocked) {
  testing::LogfileBuilder builder = HeaderSandbox::Standard(kAttrCheckLock);
  builder.LockCount(1);
  box_.Write(builder);
  const std::string set = Opt(msg::kOptionSet);
  // Clearing CheckLock fails, and the other attribute of the list is not
  // set either.
  EXPECT_EQ(Tmh({set, Word(msg::kWordCheckLock) + "=" + Word(msg::kWordNo) + "," +
                          Word(msg::kWordBinaryFile) + "=" + Word(msg::kWordYes)}),
            -1);
  ExpectRefused("1 locked revision(s) in main.c; CheckLock cannot be cleared");
  // Setting it again is no clearing.
  EXPECT_EQ(Tmh({set, Word(msg::kWordCheckLock) + "=" + Word(msg::kWordYes)}), 1);
}

TEST_F(HeaderCommandTest, JournalFollowsTheCallersAttributesNotTheLogfiles) {
  box_.Write(HeaderSandbox::Standard(kAttrJournalFile));
  box_.env.attributes = 0;
  ASSERT_EQ(Change(msg::kOptionOwner, "bob"), 1);
  EXPECT_EQ(box_.Journal(), "");
  EXPECT_EQ(box_.env.attributes, 0);
}

TEST_F(HeaderCommandTest, ProtectedLogfileIsProtectedAgain) {
  box_.Write(HeaderSandbox::Standard(kAttrProtectLogFile));
  fs::permissions(box_.Logfile(), fs::perms::owner_read);
  ASSERT_EQ(Change(msg::kOptionOwner, "bob"), 1) << box_.host.All();
  EXPECT_EQ(fs::status(box_.Logfile()).permissions() & fs::perms::owner_write, fs::perms::none);
  // Clearing the attribute makes the new logfile writable; setting it again
  // makes the next one read-only.
  ASSERT_EQ(Tmh({Opt(msg::kOptionSet), Word(msg::kWordProtectLogFile) + "=" + Word(msg::kWordNo)}),
            1);
  EXPECT_NE(fs::status(box_.Logfile()).permissions() & fs::perms::owner_write, fs::perms::none);
  ASSERT_EQ(Tmh({Opt(msg::kOptionSet), Word(msg::kWordProtectLogFile) + "=" + Word(msg::kWordYes)}),
            1);
  EXPECT_EQ(fs::status(box_.Logfile()).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(HeaderCommandTest, OnlyUsersOfTheAccessListChangeTheHeader) {
  box_.env.userName = "carol";
  EXPECT_EQ(Change(msg::kOptionOwner, "bob"), -1);
  ExpectRefused("is not in the access list of this logfile");
}

TEST_F(HeaderCommandTest, SupplementalInfoNamesTheUserAndKeepsItsTime) {
  box_.env.userName = "dave";  // in the access list, not a known user: index -1
  ASSERT_EQ(Change(msg::kOptionCommentPrefix, "; "), 1);
  const std::vector<std::uint8_t> info = Raw().supplementalInfo;
  ASSERT_EQ(info.size(), kSupplementalInfoSize);
  const std::string path(reinterpret_cast<const char*>(info.data()));
  const std::string numbers(reinterpret_cast<const char*>(info.data()) + path.size() + 1);
  EXPECT_EQ(path, fs::absolute("main.c").lexically_normal().string());
  EXPECT_EQ(numbers, "-1~1000000~0");
}

}  // namespace
}  // namespace tarn
