#include "engine/format/user_list.h"

#include <gtest/gtest.h>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

TEST(UserList, IndexCountsOnlyNonEmptyNames) {
  EXPECT_EQ(UserIndex("ann", "ann,bob"), 0);
  EXPECT_EQ(UserIndex("bob", "ann,bob"), 1);
  EXPECT_EQ(UserIndex("bob", "ann,,bob"), 1);
  EXPECT_EQ(UserIndex("bob", ",,ann,bob,"), 1);
  EXPECT_EQ(UserIndex("cy", "ann,bob"), -1);
  EXPECT_EQ(UserIndex("ann", ""), -1);
}

TEST(UserList, NamesCompareLetterForLetter) {
  EXPECT_EQ(UserIndex("Bob", "ann,bob"), -1);
  EXPECT_EQ(UserIndex("bob", "ann, bob"), -1);
  EXPECT_EQ(UserIndex(" bob", "ann, bob"), 1);
  EXPECT_EQ(UserIndex("bo", "ann,bob"), -1);
  EXPECT_EQ(UserIndex("ann,bob", "ann,bob"), -1);
  EXPECT_EQ(UserIndex("", "ann,,bob"), -1);
}

TEST(UserList, NameOfAnIndexUsesTheSameCount) {
  testing::LoadCatalogue();
  const std::string unknown = MessageText(msg::kUnknownListField.number);
  EXPECT_EQ(UserName("ann,bob", 0), "ann");
  EXPECT_EQ(UserName("ann,,bob", 1), "bob");
  EXPECT_EQ(UserName("ann,bob", 2), unknown);
  EXPECT_EQ(UserName("ann,bob", -1), unknown);
  EXPECT_EQ(UserName("", 0), unknown);
  // Every name found by its index has that index again.
  for (const char* list : {"a,b,c", ",a,,b,c,"}) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(UserIndex(UserName(list, i), list), i) << list;
  }
}

}  // namespace
}  // namespace tarn
