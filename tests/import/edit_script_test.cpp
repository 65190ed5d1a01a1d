// Edit scripts against texts written out by hand: adds and deletes at the
// ends, a last line without its newline, and scripts that do not fit.
#include "import/edit_script.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace tarn::rcs {
namespace {

struct ScriptCase {
  const char* what;
  std::string source;
  std::string script;
  std::string target;
};

TEST(EditScript, TurnsTheSourceIntoTheTarget) {
  const ScriptCase cases[] = {
      {"empty script", "a\nb\n", "", "a\nb\n"},
      {"add in front", "b\n", "a0 1\na\n", "a\nb\n"},
      {"add at the end", "a\n", "a1 2\nb\nc\n", "a\nb\nc\n"},
      {"delete the first", "a\nb\nc\n", "d1 1\n", "b\nc\n"},
      {"delete all", "a\nb\n", "d1 2\n", ""},
      {"replace a middle line", "a\nb\nc\n", "d2 1\na2 1\nB\n", "a\nB\nc\n"},
      {"several commands", "1\n2\n3\n4\n5\n", "d1 1\nd3 2\na5 1\nsix\n", "2\n5\nsix\n"},
      {"last line without newline", "one\n2\nthree\nfour", "d2 1\na2 1\ntwo\nd4 1\n",
       "one\ntwo\nthree\n"},
      {"target loses its newline", "a\nb\n", "d2 1\na2 1\nb", "a\nb"},
      {"into an empty text", "", "a0 2\nx\ny\n", "x\ny\n"},
      {"binary bytes pass", std::string("\0\xff\n", 3), std::string("a1 1\n\x01@\n", 8),
       std::string("\0\xff\n\x01@\n", 6)},
  };
  for (const ScriptCase& c : cases) {
    const auto result = ApplyEditScript(c.source, c.script);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.what;
    EXPECT_EQ(std::get<std::string>(result), c.target) << c.what;
  }
}

TEST(EditScript, RefusesScriptsThatDoNotFitAndNamesTheLine) {
  const ScriptCase cases[] = {
      {"delete past the end", "a\nb\n", "d2 2\n", "1"},
      {"delete line 0", "a\n", "d0 1\n", "1"},
      {"add after a missing line", "a\n", "a2 1\nx\n", "1"},
      {"add without its lines", "a\n", "a1 3\nx\n", "1"},
      {"commands out of order", "a\nb\nc\n", "d3 1\nd1 1\n", "2"},
      {"unknown command", "a\n", "x1 1\n", "1"},
      {"count of zero", "a\n", "d1 0\n", "1"},
      {"no count", "a\n", "d1\n", "1"},
      {"negative line", "a\n", "d-1 1\n", "1"},
      {"command without newline", "a\n", "d1 1", "1"},
      {"garbage after the count", "a\nb\n", "a1 1\nx\nd2 1x\n", "3"},
  };
  for (const ScriptCase& c : cases) {
    const auto result = ApplyEditScript(c.source, c.script);
    ASSERT_TRUE(std::holds_alternative<ScriptFault>(result)) << c.what;
    EXPECT_EQ(std::get<ScriptFault>(result).line, std::stoi(c.target)) << c.what;
  }
}

}  // namespace
}  // namespace tarn::rcs
