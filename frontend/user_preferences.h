// The user's own values kept in the settings section of the user's INI file
// (<user>.ini in the configuration directory): window size and position, the
// list's sort column, the last directory. Keys are catalogue words
// (messages 350 to 353). Each read and each change goes through a
// short-lived tIniFile, so other programs of the team see a whole file.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "engine/support/message_id.h"

namespace tarn::dorn {

class UserPreferences {
 public:
  // `iniFile` is the full name of the user's INI file.
  explicit UserPreferences(std::string iniFile);

  const std::string& FileName() const { return iniFile_; }
  std::optional<std::string> Value(const MessageId& key) const;
  // Makes the configuration directory when it is missing. A write the INI
  // file's lock keeps out is skipped: the value is only a convenience.
  void SetValue(const MessageId& key, const std::string& value);

 private:
  std::string iniFile_;
};

// "%d,%d" as two numbers; nothing unless the text is exactly that (blanks
// around a number allowed).
std::optional<std::pair<int, int>> NumberPair(const std::string& text);

}  // namespace tarn::dorn
