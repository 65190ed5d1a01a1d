#include "projects/project_settings.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <set>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/environment_variables.h"
#include "platform/paths.h"
#include "projects/ini_file.h"

namespace tarn {

namespace {

constexpr std::array<SettingInfo, kSettingCount> kSettings{{
    {Setting::kWorkfileLocation, msg::kIniWorkfileLocation, SettingKind::kPath},
    {Setting::kShadowLocation, msg::kIniShadowLocation, SettingKind::kPath},
    {Setting::kRetryCount, msg::kEnvRetryCount, SettingKind::kNumber},
    {Setting::kAccessList, msg::kEnvAccessList, SettingKind::kText},
    {Setting::kCommentPrefix, msg::kEnvCommentPrefix, SettingKind::kText},
    {Setting::kGblJournalName, msg::kEnvGlobalJournal, SettingKind::kText},
    {Setting::kJournalName, msg::kEnvJournalName, SettingKind::kText},
    {Setting::kJournalPath, msg::kEnvJournalPath, SettingKind::kPath},
    {Setting::kLogfilePath, msg::kEnvLogfileDirectory, SettingKind::kPath},
    {Setting::kTempfilePath, msg::kEnvTempDirectory, SettingKind::kPath},
    {Setting::kAutoMerge, msg::kEnvAutoMerge, SettingKind::kFlag},
    {Setting::kBinaryFile, msg::kEnvBinaryFile, SettingKind::kFlag},
    {Setting::kCheckLock, msg::kEnvCheckLock, SettingKind::kFlag},
    {Setting::kCompression, msg::kEnvCompression, SettingKind::kFlag},
    {Setting::kDeleteWork, msg::kEnvDeleteWork, SettingKind::kFlag},
    {Setting::kExpandKeywords, msg::kEnvExpandKeywords, SettingKind::kFlag},
    {Setting::kJournalFile, msg::kEnvJournalFile, SettingKind::kFlag},
    {Setting::kProtectLogFile, msg::kEnvProtectLogFile, SettingKind::kFlag},
    {Setting::kProtectWorkfile, msg::kEnvProtectWorkFile, SettingKind::kFlag},
}};

constexpr int kDefaultRetryCount = 4;

// The same table as the environment's defaults; the prefixes keep their
// trailing blanks.
constexpr std::string_view kDefaultCommentPrefixes =
    ".C: *  ~.CPP: *  ~.H: *  ~.ASM:;  ~.A:;  ~.BAS:REM ~.FOR:C  ~.PAS: * ~:#  ~";

// The same directory the environment settings default to: on a
// case-sensitive file system "tarn" would be a second logfile directory.
constexpr std::string_view kDefaultLogfilePath = "TARN/";
constexpr std::string_view kCurrentDirectory = "./";

std::optional<int> DecimalNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (number < -32768 || number > 32767) return std::nullopt;
  return number;
}

bool SameWord(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

// A flag that is no flag is said once per process, however often the
// project is read.
void ReportBadFlag(const tIniFile& ini, std::string_view section, std::string_view key,
                   std::string_view value) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::string what = ini.FileName();
  for (std::string_view part : {section, key, value}) {
    what += '\n';
    what += part;
  }
  {
    const std::lock_guard<std::mutex> hold(mutex);
    if (!reported.insert(what).second) return;
  }
  Report(kAlert, msg::kBadIniFlag, ini.FileName(), section, key, value);
}

}  // namespace

std::optional<bool> ParseFlag(std::string_view text) {
  if (EqualsWord(text, msg::kWordYes.number)) return true;
  if (EqualsWord(text, msg::kWordNo.number)) return false;
  for (std::string_view on : {"true", "on", "1"}) {
    if (SameWord(text, on)) return true;
  }
  for (std::string_view off : {"false", "off", "0"}) {
    if (SameWord(text, off)) return false;
  }
  return std::nullopt;
}

const std::array<SettingInfo, kSettingCount>& AllSettings() { return kSettings; }

const SettingInfo& InfoOf(Setting setting) { return kSettings[static_cast<std::size_t>(setting)]; }

std::optional<Setting> SettingNamed(std::string_view key) {
  for (const SettingInfo& info : kSettings) {
    if (EqualsWord(key, info.key.number)) return info.setting;
  }
  return std::nullopt;
}

tProjectSettings::tProjectSettings() {
  SetText(Setting::kTempfilePath, platform::TemporaryDirectory());
  SetText(Setting::kLogfilePath, kDefaultLogfilePath);
  RetryCount(kDefaultRetryCount);
  SetText(Setting::kJournalPath, kCurrentDirectory);
  SetText(Setting::kJournalName, MessageText(msg::kDefaultJournalName.number));
  SetText(Setting::kCommentPrefix, kDefaultCommentPrefixes);
  SetFlag(Setting::kCheckLock, true);
  SetFlag(Setting::kDeleteWork, false);
  SetFlag(Setting::kExpandKeywords, false);
  SetFlag(Setting::kProtectLogFile, true);
  SetFlag(Setting::kProtectWorkfile, true);
  SetFlag(Setting::kBinaryFile, false);
  SetFlag(Setting::kJournalFile, true);
  SetFlag(Setting::kCompression, true);
  SetFlag(Setting::kAutoMerge, false);
  SetText(Setting::kWorkfileLocation, kCurrentDirectory);
  origins_.fill(Origin::kBuiltIn);
}

tProjectSettings::tProjectSettings(std::string_view project_name, tIniFile& ini,
                                   const tProjectSettings& fallback, Origin origin,
                                   std::string_view current_directory)
    : values_(fallback.values_), origins_(fallback.origins_), project_name_(project_name) {
  const std::string_view project_list = MessageText(msg::kIniProjectList.number);
  if (std::optional<std::string> location = ini.GetValue(project_list, project_name)) {
    ProjectLocation(*location);
  } else if (project_name != MessageText(msg::kIniDefaultProject.number)) {
    ProjectLocation(current_directory);
  }
  for (const SettingInfo& info : kSettings) {
    const std::optional<std::string> value =
        ini.GetValue(project_name, MessageText(info.key.number));
    if (!value) continue;
    const std::size_t index = Index(info.setting);
    if (info.kind == SettingKind::kFlag) {
      // A present value decides both ways: "no" must be able to turn off a
      // flag the project inherits as on. A value that is no flag is said
      // and its line ignored, rather than silently read as one way.
      const std::optional<bool> on = ParseFlag(*value);
      if (!on) {
        ReportBadFlag(ini, project_name, MessageText(info.key.number), *value);
        continue;
      }
      SetFlag(info.setting, *on);
    } else if (info.kind == SettingKind::kNumber) {
      const std::optional<int> number = DecimalNumber(*value);
      if (!number) continue;  // not a number: the inherited count stays
      RetryCount(*number);
    } else {
      SetText(info.setting, *value);
    }
    origins_[index] = origin;
  }
}

void tProjectSettings::SetText(Setting setting, std::string_view text) {
  std::string& value = values_[Index(setting)];
  switch (InfoOf(setting).kind) {
    case SettingKind::kPath:
      value = platform::WithTrailingSeparator(text);
      break;
    case SettingKind::kFlag:
      value = text == "1" ? "1" : "0";
      break;
    case SettingKind::kNumber:
      value = std::to_string(DecimalNumber(text).value_or(kDefaultRetryCount));
      break;
    case SettingKind::kText:
      value = text;
      break;
  }
}

int tProjectSettings::RetryCount() const {
  return DecimalNumber(Text(Setting::kRetryCount)).value_or(kDefaultRetryCount);
}

void tProjectSettings::RetryCount(int count) {
  // Held in 16 bits where it is used: a larger count means "many".
  values_[Index(Setting::kRetryCount)] = std::to_string(std::clamp(count, -32768, 32767));
}

void tProjectSettings::ProjectLocation(std::string_view location) {
  project_location_ = platform::WithTrailingSeparator(location);
}

std::string tProjectSettings::IniText(Setting setting) const {
  if (InfoOf(setting).kind == SettingKind::kFlag) {
    return MessageText(Flag(setting) ? msg::kWordYes.number : msg::kWordNo.number);
  }
  return Text(setting);
}

}  // namespace tarn
