// tProjectSettings: the settings of one project, each with where its value
// came from.
//
// A project's section in an INI file holds only the values in which it
// differs from what it inherits; an absent key takes the fallback's value
// (user project -> system project -> default project -> built-in defaults).
// Each value therefore remembers its origin, which `tarn project` shows and
// the command-line programs use to let an explicitly set environment
// variable win over a project.
//
// Values are kept as text: paths end in the separator, flags are "1" or "0"
// and the retry count is a decimal number, so that settings compare as their
// texts (the file system is case-sensitive, so paths compare exactly).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/support/message_id.h"
#include "objects/tt_bool.h"

namespace tarn {

class tIniFile;

// In the order a project's values are written back: locations, settings,
// attributes.
enum class Setting : std::size_t {
  kWorkfileLocation,
  kShadowLocation,
  kRetryCount,
  kAccessList,
  kCommentPrefix,
  kGblJournalName,
  kJournalName,
  kJournalPath,
  kLogfilePath,
  kTempfilePath,
  kAutoMerge,
  kBinaryFile,
  kCheckLock,
  kCompression,
  kDeleteWork,
  kExpandKeywords,
  kJournalFile,
  kProtectLogFile,
  kProtectWorkfile,
};
inline constexpr std::size_t kSettingCount = 19;

enum class SettingKind { kPath, kText, kNumber, kFlag };

// Where a value came from, from the weakest to the strongest.
enum class Origin { kBuiltIn, kDefaultProject, kSystemProject, kUserProject, kEnvironment };

struct SettingInfo {
  Setting setting;
  MessageId key;  // the INI key, also the environment variable of the same name
  SettingKind kind;
};

// A flag as people write it: the catalogue's yes and no, true/false, on/off
// or 1/0, in any letter case; nothing for any other text.
std::optional<bool> ParseFlag(std::string_view text);

// Every setting, in the order of Setting.
const std::array<SettingInfo, kSettingCount>& AllSettings();
const SettingInfo& InfoOf(Setting setting);
// The setting whose key is `key` (letter case ignored); nothing when none is.
std::optional<Setting> SettingNamed(std::string_view key);

class tProjectSettings {
 public:
  // The built-in defaults.
  tProjectSettings();
  // The project `project_name` read from `ini` (its location from the
  // project list section), each absent value taken from `fallback`.
  // `current_directory` (with its separator) is the location of a project
  // that is not listed; values read carry `origin`.
  tProjectSettings(std::string_view project_name, tIniFile& ini, const tProjectSettings& fallback,
                   Origin origin, std::string_view current_directory);

  // Texts as stored: paths end in the separator, flags are "1" or "0".
  const std::string& Text(Setting setting) const { return values_[Index(setting)]; }
  // Stores `text` in the setting's form: a separator is added to a
  // non-empty path, a flag is on for "1" only, a retry count is kept as its
  // decimal number (the caller checks it is one).
  void SetText(Setting setting, std::string_view text);
  Origin OriginOf(Setting setting) const { return origins_[Index(setting)]; }

  bool Flag(Setting setting) const { return Text(setting) == "1"; }
  void SetFlag(Setting setting, bool on) { SetText(setting, on ? "1" : "0"); }
  int RetryCount() const;
  void RetryCount(int count);

  const std::string& ProjectName() const { return project_name_; }
  void ProjectName(std::string_view name) { project_name_ = name; }
  // The project's directory tree; a separator is added to a non-empty one.
  const std::string& ProjectLocation() const { return project_location_; }
  void ProjectLocation(std::string_view location);

  const std::string& LogfilePath() const { return Text(Setting::kLogfilePath); }
  void LogfilePath(std::string_view path) { SetText(Setting::kLogfilePath, path); }
  const std::string& WorkfileLocation() const { return Text(Setting::kWorkfileLocation); }
  void WorkfileLocation(std::string_view path) { SetText(Setting::kWorkfileLocation, path); }
  const std::string& AccessList() const { return Text(Setting::kAccessList); }
  void AccessList(std::string_view list) { SetText(Setting::kAccessList, list); }
  ttBool IsCheckLock() const { return Flag(Setting::kCheckLock) ? ttTRUE : ttFALSE; }
  void IsCheckLock(ttBool on) { SetFlag(Setting::kCheckLock, on == ttTRUE); }

  // The value as an INI file holds it (flags as the catalogue's yes and no).
  std::string IniText(Setting setting) const;

 private:
  static std::size_t Index(Setting setting) { return static_cast<std::size_t>(setting); }

  std::array<std::string, kSettingCount> values_;
  std::array<Origin, kSettingCount> origins_{};
  std::string project_name_;
  std::string project_location_;
};

}  // namespace tarn
