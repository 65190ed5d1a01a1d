// The user's own values kept in the user INI file's settings section:
// window size and position, the list's sort column, the last directory.
// Keys are catalogue words (messages 350 to 353).
#pragma once

#include <optional>
#include <string>

#include "engine/support/message_id.h"

namespace tarn::dorn {

class UserPreferences {
 public:
  virtual ~UserPreferences() = default;
  virtual std::optional<std::string> Value(const MessageId& key) = 0;
  virtual void SetValue(const MessageId& key, const std::string& value) = 0;
};

// "%d,%d" as two numbers; nothing unless the text is exactly that.
std::optional<std::pair<int, int>> NumberPair(const std::string& text);

}  // namespace tarn::dorn
