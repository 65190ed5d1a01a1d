// JSON strings from whatever bytes a logfile holds.
#include "tools/tarn/json_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tarn::cli {
namespace {

TEST(JsonText, EscapesWhatJsonRequiresAndReplacesInvalidUtf8) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line\nnext\r\ttab", "\"line\\nnext\\r\\ttab\""},
      {std::string("nul\0bell\a", 9), "\"nul\\u0000bell\\u0007\""},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
      {"latin1 \xE9!", "\"latin1 \xEF\xBF\xBD!\""},
      {"cut \xE2\x82", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"overlong \xC0\xAF", "\"overlong \xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"surrogate \xED\xA0\x80", "\"surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json) << text;
}

TEST(JsonText, ObjectsKeepTheirMembersInOrder) {
  EXPECT_EQ(JsonObject().Close(), "{}");
  EXPECT_EQ(JsonObject()
                .Text("a", "x")
                .Number("n", -3)
                .Boolean("b", true)
                .Null("z")
                .Raw("list", "[1,2]")
                .Close(),
            "{\"a\":\"x\",\"n\":-3,\"b\":true,\"z\":null,\"list\":[1,2]}");
}

}  // namespace
}  // namespace tarn::cli
