// The label, remove-label and modify-header command lines, accepted and
// refused: what each records, and the message each refusal reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/commands/header_command.h"
#include "engine/commands/label_command.h"
#include "engine/format/revision_number.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::RecordingHost;

std::string Opt(const MessageId& id) { return "-" + std::string(MessageText(id.number)); }

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadCatalogue(); }

  int Label(std::vector<std::string> words) {
    const ScopedProgramLabel label("tstamp");
    words.insert(words.begin(), "tstamp");
    return ParseLabelCommandLine(words, label_);
  }
  int Unlabel(std::vector<std::string> words) {
    const ScopedProgramLabel label("tunstamp");
    words.insert(words.begin(), "tunstamp");
    return ParseUnlabelCommandLine(words, unlabel_);
  }
  int Tmh(std::vector<std::string> words) {
    const ScopedProgramLabel label("tmh");
    words.insert(words.begin(), "tmh");
    return ParseHeaderCommandLine(words, header_);
  }

  // The one alert reported, without the program label.
  std::string Alert() const {
    std::string alerts;
    for (const RecordingHost::Message& message : host_.messages()) {
      if (message.kind == kAlert) alerts += message.text;
    }
    return alerts;
  }

  RecordingHost host_;
  LabelCommandArgs label_;
  UnlabelCommandArgs unlabel_;
  HeaderCommandArgs header_;
};

TEST_F(CommandLineTest, LabelLinesAccepted) {
  ASSERT_EQ(Label({"main.c", Opt(msg::kOptionRevision), "1.2.1", Opt(msg::kOptionLabel), "'two",
                   "words'", Opt(msg::kWordKeep)}),
            1)
      << Alert();
  EXPECT_EQ(label_.fileName, "main.c");
  EXPECT_EQ(label_.label, "two words");
  EXPECT_FALSE(label_.IsCopy());
  ASSERT_TRUE(label_.revision.has_value());
  EXPECT_EQ(FormatRevision(*label_.revision), "1.2.1");
  EXPECT_EQ(label_.answer, "KEEP");

  // Option words are compared without regard to case; a label keeps its own.
  ASSERT_EQ(Label({"-COPY", "Old", "'new", "one'", "-Yes", "x.c"}), 1) << Alert();
  EXPECT_TRUE(label_.IsCopy());
  EXPECT_EQ(label_.label, "Old");
  EXPECT_EQ(label_.AppliedLabel(), "new one");
  EXPECT_FALSE(label_.revision.has_value());
  EXPECT_EQ(label_.answer, "YES");

  const std::string longest(79, 'L');
  ASSERT_EQ(Label({Opt(msg::kOptionLabel), longest, "x.c"}), 1);
  EXPECT_EQ(label_.label, longest);
}

TEST_F(CommandLineTest, LabelLinesRefused) {
  struct Case {
    std::vector<std::string> words;
    std::string message;  // a piece of the alert
  };
  const std::string rev = Opt(msg::kOptionRevision);
  const std::string v = Opt(msg::kOptionLabel);
  const std::string copy = Opt(msg::kOptionCopyLabel);
  const std::vector<Case> cases = {
      {{v, std::string(80, 'L'), "x.c"}, "a label may have at most 79 characters"},
      {{v, "'open", "never", "closed", "x.c"}, "a quoted text has no closing quote"},
      {{v, "''", "x.c"}, "the label text cannot be read"},
      {{v}, "the label option needs a label"},
      {{rev}, "the revision option needs a revision number"},
      {{copy, "A", "x.c", rev, "1.2"}, "the revision option cannot follow the copy option"},
      {{rev, "1.2", copy, "A", "B", "x.c"}, "the copy option cannot follow the revision option"},
      {{v, "A", copy, "B", "C", "x.c"}, "the copy option cannot follow the label option"},
      {{copy, "B", "C", v, "A", "x.c"}, "the label option cannot follow the copy option"},
      {{copy, "A"}, "the copy option needs an existing label and a new label"},
      {{copy}, "the copy option needs an existing label and a new label"},
      {{v, "A", v, "B", "x.c"}, "option -v may be given only once"},
      {{rev, "1.*", v, "A", "x.c"}, "'1.*' must name one exact revision"},
      {{rev, "1.2:1.4", v, "A", "x.c"}, "a range of revisions is not allowed here"},
      {{rev, "1.x", v, "A", "x.c"}, "'1.x' is not a valid revision number"},
      {{Opt(msg::kWordYes), Opt(msg::kWordNo), v, "A", "x.c"}, "only one answer may be given"},
      {{"-lock", v, "A", "x.c"}, "unknown option '-lock'"},
      {{v, "A", "x.c", "y.c"}, "only one file name may be given; 'x.c' came first"},
  };
  for (const Case& c : cases) {
    host_.Clear();
    EXPECT_EQ(Label(c.words), -1) << c.message;
    EXPECT_NE(Alert().find(c.message), std::string::npos) << Alert();
    EXPECT_TRUE(label_.fileName.empty());
  }
  // Nothing to do, or nothing to do it to: refused without an alert.
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"x.c"}, std::vector<std::string>{v, "A"}}) {
    host_.Clear();
    EXPECT_EQ(Label(words), -1);
    EXPECT_EQ(Alert(), "");
  }
}

TEST_F(CommandLineTest, RemoveLabelLines) {
  ASSERT_EQ(Unlabel({"'a", "b'", "x.c"}), -1);  // the label needs its option
  ASSERT_EQ(Unlabel({Opt(msg::kOptionLabel), "'a", "b'", "x.c"}), 1);
  EXPECT_EQ(unlabel_.label, "a b");
  EXPECT_EQ(unlabel_.fileName, "x.c");

  host_.Clear();
  EXPECT_EQ(Unlabel({Opt(msg::kOptionRevision), "1.2", Opt(msg::kOptionLabel), "A", "x.c"}), -1);
  EXPECT_NE(Alert().find("unknown option '-rev'"), std::string::npos) << Alert();
  host_.Clear();
  EXPECT_EQ(Unlabel({Opt(msg::kOptionLabel), std::string(80, 'L'), "x.c"}), -1);
  EXPECT_NE(Alert().find("at most 79 characters"), std::string::npos) << Alert();
  EXPECT_EQ(Unlabel({Opt(msg::kOptionLabel), "A"}), -1);
}

TEST_F(CommandLineTest, ModifyHeaderLinesAccepted) {
  ASSERT_EQ(Tmh({Opt(msg::kOptionAccessList), Opt(msg::kOptionText), "a,b", "x.c"}), 1) << Alert();
  EXPECT_EQ(header_.change, HeaderChange::kAccessList);
  EXPECT_EQ(header_.text, "a,b");
  EXPECT_FALSE(header_.attributes.has_value());

  // The text and attribute options may follow the change.
  const std::string set = Opt(msg::kOptionSet);
  ASSERT_EQ(Tmh({Opt(msg::kOptionRenameLabel), "'old", "name'", set, "CheckLock=no,BinaryFile=yes",
                 Opt(msg::kOptionText), "new", "x.c"}),
            1)
      << Alert();
  EXPECT_EQ(header_.change, HeaderChange::kRenameLabel);
  EXPECT_EQ(header_.label, "old name");
  ASSERT_TRUE(header_.attributes.has_value());
  EXPECT_EQ(header_.attributes->mask, 0x21);
  EXPECT_EQ(header_.attributes->values, 0x20);
  // An unknown name refuses the line: the change would not be the one meant.
  EXPECT_EQ(Tmh({Opt(msg::kOptionRenameLabel), "'old", "name'", set, "CheckLock=no,Binary=yes",
                 Opt(msg::kOptionText), "new", "x.c"}),
            -1);
  EXPECT_NE(Alert().find("'Binary=yes': no such attribute"), std::string::npos) << Alert();

  ASSERT_EQ(Tmh({"x.c", Opt(msg::kOptionDefaultBranch), "1.2.1"}), 1);
  EXPECT_EQ(header_.change, HeaderChange::kDefaultBranch);
  EXPECT_EQ(FormatRevision(*header_.revision), "1.2.1");

  // The attributes alone are a change of their own.
  ASSERT_EQ(Tmh({set, "JournalFile=yes", "x.c"}), 1);
  EXPECT_EQ(header_.change, HeaderChange::kNone);
  EXPECT_EQ(header_.attributes->values, 0x40);
}

TEST_F(CommandLineTest, ModifyHeaderLinesRefused) {
  struct Case {
    std::vector<std::string> words;
    std::string message;
  };
  const std::string text = Opt(msg::kOptionText);
  const std::vector<Case> cases = {
      {{Opt(msg::kOptionOwner), Opt(msg::kOptionAccessList), "x.c"},
       "only one header change may be given at a time"},
      {{Opt(msg::kOptionDefaultBranch), "1.2", Opt(msg::kOptionOwner), "x.c"},
       "only one header change may be given at a time"},
      // An unknown option is named as such, wherever it stands.
      {{Opt(msg::kOptionDescription), "-nonsense", "x.c"}, "unknown option '-nonsense'"},
      {{text, "a", text, "b", Opt(msg::kOptionOwner), "x.c"},
       "option -text may be given only once"},
      {{Opt(msg::kOptionOwner), text}, "the text option needs a value"},
      {{Opt(msg::kOptionSet)}, "the attribute option needs NAME=VALUE"},
      {{Opt(msg::kOptionRenameLabel)}, "the label option needs a label"},
      {{Opt(msg::kOptionRenameLabel), "'a", "x.c"}, "a quoted text has no closing quote"},
      {{Opt(msg::kOptionDefaultBranch)}, "the default-branch option needs a revision number"},
      {{Opt(msg::kOptionDefaultBranch), "1.*", "x.c"}, "'1.*' must name one exact revision"},
      {{"-nonsense", "x.c"}, "unknown option '-nonsense'"},
      {{Opt(msg::kOptionOwner), "x.c", "y.c"}, "only one file name may be given"},
  };
  for (const Case& c : cases) {
    host_.Clear();
    EXPECT_EQ(Tmh(c.words), -1) << c.message;
    EXPECT_NE(Alert().find(c.message), std::string::npos) << Alert();
    EXPECT_TRUE(header_.fileName.empty());
  }
  // A file name alone, or a change without one.
  EXPECT_EQ(Tmh({"x.c"}), -1);
  EXPECT_EQ(Tmh({text, "a", "x.c"}), -1);
  EXPECT_EQ(Tmh({Opt(msg::kOptionOwner)}), -1);
}

}  // namespace
}  // namespace tarn
