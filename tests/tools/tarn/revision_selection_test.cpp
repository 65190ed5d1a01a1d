// Which revisions tarn log -rev selects.
#include "tools/tarn/revision_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarn::cli {
namespace {

struct SelectionCase {
  std::string selection;
  std::vector<std::string> selected;  // of the revisions below
};

const std::vector<std::string> kRevisions = {"1.1",     "1.2",     "1.3",     "2.1",
                                             "1.2.1.1", "1.2.1.2", "1.2.2.1", "1.2.1.2.1.1"};

std::vector<std::string> Selected(const RevisionSelection& selection) {
  std::vector<std::string> result;
  for (const std::string& revision : kRevisions) {
    if (selection.Selects(ParseRevisionNumbers(revision).value())) result.push_back(revision);
  }
  return result;
}

TEST(RevisionSelection, SelectsRevisionsBranchesAndRanges) {
  const std::vector<SelectionCase> cases = {
      {"1.2", {"1.2"}},
      {"1", {"1.1", "1.2", "1.3"}},
      {"2", {"2.1"}},
      {"1.2.1", {"1.2.1.1", "1.2.1.2"}},
      {"1.2.2", {"1.2.2.1"}},
      {"1.2:1.3", {"1.2", "1.3"}},
      {"1.2:", {"1.2", "1.3", "2.1"}},
      {":1.2", {"1.1", "1.2"}},
      {"1.2.1.2:", {"1.2.1.2"}},
      {"1.2.1.1:1.2.1.2", {"1.2.1.1", "1.2.1.2"}},
  };
  for (const SelectionCase& c : cases) {
    const std::optional<RevisionSelection> selection = RevisionSelection::Parse(c.selection);
    ASSERT_TRUE(selection) << c.selection;
    EXPECT_EQ(Selected(*selection), c.selected) << c.selection;
  }
  EXPECT_EQ(Selected(RevisionSelection()), kRevisions);
}

TEST(RevisionSelection, RefusesWhatIsNoRevisionBranchOrRange) {
  for (const char* text : {"", ":", "a", "1..2", "1.", ".1", "1.2:1.2.1.1", "1.2.1.1:1.2.2.1",
                           "1.2.1:", "1.-2", "99999", "1.2:x"}) {
    EXPECT_FALSE(RevisionSelection::Parse(text)) << text;
  }
}

}  // namespace
}  // namespace tarn::cli
