// Writing JSON for the reports' script form: strings escaped as the format
// requires, whatever bytes a logfile holds.
#pragma once

#include <string>
#include <string_view>

namespace tarn::cli {

// `text` as a JSON string, quotes included. Control characters, quotes and
// backslashes are escaped; a byte that is not part of valid UTF-8 is
// replaced by U+FFFD, so the output is always valid JSON.
std::string JsonString(std::string_view text);

// Builds one JSON object, members in the order added.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view value);
  JsonObject& Number(std::string_view key, long long value);
  JsonObject& Boolean(std::string_view key, bool value);
  JsonObject& Null(std::string_view key);
  // `json` must be a complete JSON value (an object, an array, ...).
  JsonObject& Raw(std::string_view key, std::string_view json);
  std::string Close() const { return text_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string text_ = "{";
};

}  // namespace tarn::cli
