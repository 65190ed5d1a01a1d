// The catalogue file against the code: every message the code reports has a
// text whose conversions take exactly the arguments the code passes, and the
// words the commands recognise can be told apart.
#include <gtest/gtest.h>

#include <span>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/message_format.h"
#include "engine/support/lock_messages.h"
#include "engine/support/messages.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

constexpr std::string_view kUndefined = "Message not defined!!";
constexpr std::string_view kTooLarge = "Message ID too large";

class CatalogueConsistency : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  static std::string Text(int number) { return MessageText(number); }
  static bool Defined(int number) {
    const std::string_view text = MessageText(number);
    return text != kUndefined && text != kTooLarge;
  }
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The conversions a text must hold, from the arguments the code passes.
std::string ExpectedConversions(const MessageId& message) {
  const std::string signature(message.signature);
  switch (message.use) {
    case MessageUse::kFormatted:
      return "s" + signature;
    case MessageUse::kLabelSecond:
      return signature.empty() ? "s" : signature.substr(0, 1) + "s" + signature.substr(1);
    case MessageUse::kWithoutLabel:
      return signature;
    case MessageUse::kRaw:
    case MessageUse::kWord:
      return "";
  }
  return "?";
}

TEST_F(CatalogueConsistency, EveryMessageOfTheCodeHasATextWithMatchingConversions) {
  for (const std::span<const MessageId> list : {std::span<const MessageId>(msg::kAllMessages),
                                                 std::span<const MessageId>(msg::kLockMessages)}) {
    for (const MessageId& message : list) {
      SCOPED_TRACE("message " + std::to_string(message.number));
      ASSERT_TRUE(Defined(message.number)) << Text(message.number);
      EXPECT_EQ(ConversionLetters(Text(message.number)), ExpectedConversions(message))
          << Text(message.number);
    }
  }
}

// The lock protocol's list uses numbers that no other message has.
TEST_F(CatalogueConsistency, TheLockMessagesHaveNumbersOfTheirOwn) {
  for (const MessageId& lock_message : msg::kLockMessages) {
    for (const MessageId& message : msg::kAllMessages) {
      EXPECT_NE(lock_message.number, message.number);
    }
  }
}

TEST_F(CatalogueConsistency, MessageListIsInNumberOrderAndNumbersAgree) {
  for (std::size_t i = 1; i < std::size(msg::kAllMessages); ++i) {
    const MessageId& before = msg::kAllMessages[i - 1];
    const MessageId& message = msg::kAllMessages[i];
    EXPECT_LE(before.number, message.number) << "after message " << before.number;
    if (before.number == message.number) {
      // Two names for one number must at least take the same arguments.
      EXPECT_EQ(before.signature, message.signature) << "message " << message.number;
      EXPECT_EQ(before.use, message.use) << "message " << message.number;
    }
  }
  EXPECT_GE(MaxMessageNumber(), msg::kAllMessages[std::size(msg::kAllMessages) - 1].number);
}

TEST_F(CatalogueConsistency, NoTextHoldsAConversionTheFormatterWouldNotFill) {
  for (int number = 0; number <= MaxMessageNumber(); ++number) {
    const std::string letters = ConversionLetters(Text(number));
    EXPECT_EQ(letters.find('!'), std::string::npos) << "message " << number << ": " << Text(number);
    EXPECT_EQ(letters.find('c'), std::string::npos) << "message " << number;
  }
}

// "a-b" is a range; the lists name the numbers each part of the system uses.
std::vector<int> Numbers(std::string_view list) {
  std::vector<int> numbers;
  std::size_t pos = 0;
  while (pos < list.size()) {
    std::size_t end = list.find(',', pos);
    if (end == std::string_view::npos) end = list.size();
    const std::string item(list.substr(pos, end - pos));
    const std::size_t dash = item.find('-');
    const int first = std::stoi(item.substr(0, dash));
    const int last = dash == std::string::npos ? first : std::stoi(item.substr(dash + 1));
    for (int number = first; number <= last; ++number) numbers.push_back(number);
    pos = end + 1;
  }
  return numbers;
}

TEST_F(CatalogueConsistency, EveryNumberTheCommandsAndFrontEndUseHasAText) {
  const std::vector<std::pair<std::string_view, std::string_view>> users = {
      {"usage listing", "14,26,27,150"},
      {"opening", "5-12,18,25,29,106,107,120-123,131,138,145,146,148,162-165,168-170,178"},
      {"rebuild", "106,107,138"},
      {"get",
       "9,12,17-19,29,30,41,45,54,55,58-64,100,107,108,117-119,126,132,134,138-142,"
       "146,151,194-203,205-207"},
      {"keywords", "2,86,88-98,145,204"},
      {"check-in",
       "5-9,11,12,15,18,29,30,36,37,43-45,59,60,63,86-100,102,104-108,116,117,126,"
       "131,132,138,141,142,145,146,148,208-213,215,217-224,226-234,238"},
      {"differencing", "102,103,106,138,154,155"},
      {"journal", "138,166"},
      {"lock", "63,99,106,107,117,126,132,137-139,141,142,145,153,177,280-283"},
      {"label",
       "18,29,40,59,63,64,99-101,103,106,114,117,118,126,132,134,138,141-143,147,152,"
       "179,257-267"},
      {"modify header",
       "5-12,18,25,29,30,36,39,47-52,99,101,103,108,112,118,126,127,132,134,"
       "138,141-144,147,151,152,180,285-304,306-308"},
      {"environment", "16,19,29,65-67,69-83"},
      {"logfile object", "44,58"},
      {"header information", "25"},
      {"projects", "16,18,29,65,66,69-85,340,341"},
      {"front end",
       "5-12,18,19,25,29,30,36,37,41,43-45,47,49,51,54,55,58,60-64,84,340,341,"
       "345-358"},
  };
  for (const auto& [user, list] : users) {
    for (const int number : Numbers(list)) {
      EXPECT_TRUE(Defined(number)) << user << ": message " << number;
    }
  }
  EXPECT_GE(MaxMessageNumber(), 358);
}

// Option words as a command line meets them: no blanks (the line is split
// at blanks), no '=' or quotes, never empty.
void ExpectUsableWord(const std::string& word, int number) {
  EXPECT_FALSE(word.empty()) << "message " << number;
  EXPECT_EQ(word.find_first_of(" \t\"'=,-"), std::string::npos)
      << "message " << number << ": '" << word << "'";
}

void ExpectDistinctWords(std::string_view command, const std::vector<int>& numbers) {
  std::set<std::string> seen;
  for (const int number : numbers) {
    const std::string word = MessageText(number);
    ExpectUsableWord(word, number);
    EXPECT_TRUE(seen.insert(Lower(word)).second)
        << command << ": message " << number << " repeats '" << word << "'";
  }
}

TEST_F(CatalogueConsistency, OptionWordsAreDistinctWithinEachCommand) {
  using namespace msg;
  const int yes = kWordYes.number, no = kWordNo.number, keep = kWordKeep.number;
  ExpectDistinctWords("tget", {kOptionLock.number, kOptionNewerOnly.number, kOptionSet.number,
                               kOptionRevision.number, kOptionLabel.number, kOptionOutput.number,
                               kOptionQuiet.number, yes, no, keep, kOptionTimestamp.number});
  ExpectDistinctWords("tput", {kOptionSet.number, kOptionWorkfile.number, kOptionRevision.number,
                               kOptionText.number, yes, no, keep, kOptionQuiet.number,
                               kOptionNewBranch.number, kOptionLock.number, kOptionCreate.number});
  ExpectDistinctWords("tstamp", {kOptionRevision.number, kOptionLabel.number,
                                 kOptionCopyLabel.number, yes, no, keep});
  ExpectDistinctWords(
      "tmh", {kOptionText.number, kOptionSet.number, kOptionRenameLabel.number,
              kOptionAccessList.number, kOptionCommentPrefix.number, kOptionDescription.number,
              kOptionAddUsers.number, kOptionOwner.number, kOptionDefaultBranch.number});
  ExpectDistinctWords("time stamp values",
                      {kWordNow.number, kWordEditTime.number, kWordCheckinTime.number});
  // The label command's journal entry writes the label option as "-v".
  EXPECT_EQ(Text(kOptionLabel.number), "v");
}

TEST_F(CatalogueConsistency, TimestampOptionIsNoPrefixOfAnotherGetOption) {
  // The get command recognises its time-stamp option as a prefix of the
  // argument, so no other get option may begin with it.
  using namespace msg;
  const std::string stamp = Lower(Text(kOptionTimestamp.number));
  for (const MessageId& other :
       {kOptionLock, kOptionNewerOnly, kOptionSet, kOptionRevision, kOptionLabel, kOptionOutput,
        kOptionQuiet, kWordYes, kWordNo, kWordKeep}) {
    EXPECT_NE(Lower(Text(other.number)).rfind(stamp, 0), 0u)
        << "'" << Text(other.number) << "' begins with '" << stamp << "'";
  }
}

TEST_F(CatalogueConsistency, AnswersAreToldApartByTheirFirstLetter) {
  // Answers are read by their first letter compared with the word for yes.
  const std::string yes = Lower(Text(msg::kWordYes.number));
  const std::string no = Lower(Text(msg::kWordNo.number));
  const std::string keep = Lower(Text(msg::kWordKeep.number));
  ASSERT_FALSE(yes.empty());
  ASSERT_FALSE(no.empty());
  ASSERT_FALSE(keep.empty());
  EXPECT_NE(yes, no);
  EXPECT_NE(yes[0], no[0]);
  EXPECT_NE(yes[0], keep[0]);
}

TEST_F(CatalogueConsistency, AttributeNamesAreDistinctWords) {
  std::vector<int> attributes;
  for (int number = msg::kWordBinaryFile.number; number <= msg::kWordProtectWorkFile.number;
       ++number) {
    attributes.push_back(number);
  }
  ExpectDistinctWords("attribute names", attributes);
  EXPECT_EQ(attributes.size(), 8u);
}

TEST_F(CatalogueConsistency, EnvironmentVariableNamesAreDistinctAndValid) {
  std::set<std::string> seen;
  for (int number = msg::kEnvLogfileDirectory.number; number <= msg::kIniShadowLocation.number;
       ++number) {
    const std::string name = Text(number);
    ASSERT_FALSE(name.empty()) << "message " << number;
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_') << name;
    EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    })) << name;
    EXPECT_TRUE(seen.insert(name).second) << "message " << number << " repeats " << name;
  }
}

TEST_F(CatalogueConsistency, IniSectionsKeysAndColumnNamesAreDistinct) {
  using namespace msg;
  ExpectDistinctWords("sections", {kIniProjectList.number, kIniToolsSection.number,
                                   kIniUsersSection.number, kIniUserSection.number});
  ExpectDistinctWords("tool keys", {kIniCompareCommand.number, kIniViewer.number});
  ExpectDistinctWords("user settings keys", {kIniWindowSize.number, kIniWindowPosition.number,
                                             kIniCurrentDirectory.number, kIniSortColumn.number});
  std::set<std::string> columns;
  for (int number = kColumnFilename.number; number <= kColumnFileSize.number; ++number) {
    EXPECT_FALSE(Text(number).empty());
    EXPECT_TRUE(columns.insert(Text(number)).second) << "message " << number;
  }
  EXPECT_FALSE(Text(kIniDefaultProject.number).empty());
}

TEST_F(CatalogueConsistency, KeywordNamesAreDistinctAndCannotEndAKeywordEarly) {
  std::set<std::string> seen;
  for (int number = msg::kKeywordAuthor.number; number <= msg::kKeywordLabel.number; ++number) {
    const std::string name = Text(number);
    ASSERT_FALSE(name.empty()) << "message " << number;
    // '$' and ':' delimit a keyword; a digit after the Log keyword's name is
    // its entry count.
    EXPECT_EQ(name.find_first_of("$: \t"), std::string::npos) << name;
    EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(name.back()))) << name;
    EXPECT_TRUE(seen.insert(name).second) << "message " << number << " repeats " << name;
  }
}

TEST_F(CatalogueConsistency, WordsAndPlaceholdersAreNotEmpty) {
  for (const MessageId& message : msg::kAllMessages) {
    if (message.use == MessageUse::kWord || message.use == MessageUse::kRaw) {
      EXPECT_FALSE(Text(message.number).empty()) << "message " << message.number;
    }
  }
  // The default user name stands in access lists: it must be one name.
  ExpectUsableWord(Text(msg::kWordNone.number), msg::kWordNone.number);
  ExpectUsableWord(Text(msg::kWordTrunkTip.number), msg::kWordTrunkTip.number);
}

}  // namespace
}  // namespace tarn
