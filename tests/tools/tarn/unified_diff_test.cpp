// The unified listing of tarn diff, from the engine's own comparison:
// expected listings written out by hand, as patch(1) reads them.
#include "tools/tarn/unified_diff.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/diff/line_changes.h"
#include "tests/support/test_support.h"

namespace tarn::cli {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Listing(const std::string& first, const std::string& second) {
  TextLineChanges changes;
  const int found = FindLineChanges(Bytes(first), Bytes(second), '\n', changes);
  EXPECT_EQ(found, first == second ? 0 : 1);
  return UnifiedDiff("a", Bytes(first), "b", Bytes(second), changes);
}

struct ListingCase {
  const char* name;
  std::string first;
  std::string second;
  std::string expected;
};

class UnifiedDiffTest : public ::testing::TestWithParam<ListingCase> {
 protected:
  static void SetUpTestSuite() { testing::LoadCatalogue(); }
};

TEST_P(UnifiedDiffTest, ListsTheChangesAsPatchReadsThem) {
  const ListingCase& c = GetParam();
  EXPECT_EQ(Listing(c.first, c.second), c.expected);
}

const std::string kTen = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, UnifiedDiffTest,
    ::testing::Values(
        ListingCase{"Equal", kTen, kTen, ""},
        ListingCase{"OneLineChangedInTheMiddle", kTen, "1\n2\n3\n4\n5\nsix\n7\n8\n9\n10\n",
                    "--- a\n+++ b\n@@ -3,7 +3,7 @@\n 3\n 4\n 5\n-6\n+six\n 7\n 8\n 9\n"},
        ListingCase{"FirstLineRemoved", kTen, "2\n3\n4\n5\n6\n7\n8\n9\n10\n",
                    "--- a\n+++ b\n@@ -1,4 +1,3 @@\n-1\n 2\n 3\n 4\n"},
        ListingCase{"LineAddedAtTheEnd", "x\ny\n", "x\ny\nz\n",
                    "--- a\n+++ b\n@@ -1,2 +1,3 @@\n x\n y\n+z\n"},
        ListingCase{"IntoAnEmptyText", "", "new\n", "--- a\n+++ b\n@@ -0,0 +1 @@\n+new\n"},
        ListingCase{"EverythingRemoved", "old\n", "", "--- a\n+++ b\n@@ -1 +0,0 @@\n-old\n"},
        // Changes more than six unchanged lines apart make two hunks.
        ListingCase{"TwoHunks", "a\n1\n2\n3\n4\n5\n6\n7\nb\n", "A\n1\n2\n3\n4\n5\n6\n7\nB\n",
                    "--- a\n+++ b\n@@ -1,4 +1,4 @@\n-a\n+A\n 1\n 2\n 3\n"
                    "@@ -6,4 +6,4 @@\n 5\n 6\n 7\n-b\n+B\n"},
        // Six unchanged lines between them: one hunk.
        ListingCase{"CloseChangesShareAHunk", "a\n1\n2\n3\n4\n5\n6\nb\n",
                    "A\n1\n2\n3\n4\n5\n6\nB\n",
                    "--- a\n+++ b\n@@ -1,8 +1,8 @@\n-a\n+A\n 1\n 2\n 3\n 4\n 5\n 6\n-b\n+B\n"},
        ListingCase{"MissingLineEndAlone", "x\nlast\n", "x\nlast",
                    "--- a\n+++ b\n@@ -1,2 +1,2 @@\n x\n-last\n+last\n"
                    "\\ No newline at end of file\n"},
        ListingCase{"ChangedLastLineWithoutLineEnds", "x\nold", "x\nnew",
                    "--- a\n+++ b\n@@ -1,2 +1,2 @@\n x\n-old\n\\ No newline at end of file\n"
                    "+new\n\\ No newline at end of file\n"}),
    [](const ::testing::TestParamInfo<ListingCase>& param) {
      return std::string(param.param.name);
    });

}  // namespace
}  // namespace tarn::cli
