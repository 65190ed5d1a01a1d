#include "projects/settings_in_force.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/environment_variables.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"

namespace tarn {

namespace {

bool VariableIsSet(const SettingInfo& info) {
  return platform::GetEnvironmentVariable(MessageText(info.key.number)).has_value();
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

tEnvVar SettingsInForce() {
  tEnvVar env;
  ApplyProjectInForce(env, ProjectPlace::InForce());
  return env;
}

}  // namespace tarn
