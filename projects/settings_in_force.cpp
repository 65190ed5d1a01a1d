#include "projects/settings_in_force.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "objects/command_line_identity.h"
#include "objects/command_program.h"
#include "platform/environment_variables.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_reports.h"
#include "projects/reserved_names.h"

namespace tarn {

namespace {

// Set to "" counts as not set, as everywhere.
bool VariableIsSet(const SettingInfo& info) {
  const std::optional<std::string> value =
      platform::GetEnvironmentVariable(MessageText(info.key.number));
  return value && !value->empty();
}

void ApplyFlag(tEnvVar& env, Setting setting, ttBool on) {
  switch (setting) {
    case Setting::kAutoMerge:
      env.IsAutoMerge(on);
      break;
    case Setting::kBinaryFile:
      env.IsBinaryFile(on);
      break;
    case Setting::kCheckLock:
      env.IsCheckLock(on);
      break;
    case Setting::kCompression:
      env.IsCompression(on);
      break;
    case Setting::kDeleteWork:
      env.IsDeleteWork(on);
      break;
    case Setting::kExpandKeywords:
      env.IsExpandKeywords(on);
      break;
    case Setting::kJournalFile:
      env.IsJournalFile(on);
      break;
    case Setting::kProtectLogFile:
      env.IsProtectLogFile(on);
      break;
    case Setting::kProtectWorkfile:
      env.IsProtectWorkfile(on);
      break;
    default:
      break;
  }
}

void Apply(tEnvVar& env, const tProject& project, const SettingInfo& info) {
  const tProjectSettings& settings = project.projectSettings();
  const std::string& text = settings.Text(info.setting);
  switch (info.setting) {
    case Setting::kWorkfileLocation:
      env.WorkfilePath(project.effectiveWorkfilePath().c_str());
      break;
    case Setting::kShadowLocation:
      env.ShadowPath(text.c_str());
      break;
    case Setting::kRetryCount:
      env.JournalRetryCount(settings.RetryCount());
      break;
    case Setting::kAccessList:
      env.AccessList(text.c_str());
      break;
    case Setting::kCommentPrefix:
      env.CommentPrefix(text.c_str());
      break;
    // An empty name means no global journal.
    case Setting::kGblJournalName:
      env.GblJournalName(text.empty() ? nullptr : text.c_str());
      break;
    case Setting::kJournalName:
      env.JournalName(text.c_str());
      break;
    case Setting::kJournalPath:
      env.JournalPath(text.c_str());
      break;
    case Setting::kLogfilePath:
      env.TARNPath(text.c_str());
      break;
    case Setting::kTempfilePath:
      env.TempFilePrefix(text.c_str());
      break;
    default:
      ApplyFlag(env, info.setting, settings.Flag(info.setting) ? ttTRUE : ttFALSE);
      break;
  }
}

}  // namespace

void ApplyProjectInForce(tEnvVar& env, const ProjectPlace& place) {
  const std::string directory = platform::WithTrailingSeparator(place.configurationDirectory);
  const std::string user_ini = directory + UserIniFileName(env.UserName());
  const std::string system_ini = directory + std::string(kSystemIniFileName);
  if (!platform::FileExists(system_ini) && !platform::FileExists(user_ini)) return;
  const tProject project(env.UserName(), place);
  for (const SettingInfo& info : AllSettings()) {
    if (project.projectSettings().OriginOf(info.setting) == Origin::kBuiltIn) continue;
    if (VariableIsSet(info)) continue;
    Apply(env, project, info);
  }
}

std::optional<std::string> CommandLineUser() {
  tEnvVar env;
  UseLoginNameUnlessSet(env);
  const std::string name = env.UserName();
  if (IsUsableUserName(name)) return name;
  Report(kAlert, msg::kBadUserNameFromEnvironment, name,
         std::string_view(MessageText(msg::kEnvUserName.number)));
  return std::nullopt;
}

bool ProjectFilesUsable(const ProjectPlace& place, std::string_view user) {
  const std::string directory = platform::WithTrailingSeparator(place.configurationDirectory);
  return IniFilesUsable(
      {directory + std::string(kSystemIniFileName), directory + UserIniFileName(user)});
}

tEnvVar SettingsInForce() {
  const std::optional<std::string> user = CommandLineUser();
  if (!user) throw SettingsRefused{};
  tEnvVar env;
  env.UserName(user->c_str());
  const ProjectPlace place = ProjectPlace::InForce();
  if (!ProjectFilesUsable(place, *user)) throw SettingsRefused{};
  ApplyProjectInForce(env, place);
  return env;
}

}  // namespace tarn
