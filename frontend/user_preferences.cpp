#include "frontend/user_preferences.h"

#include <QString>
#include <QStringList>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_file.h"

namespace tarn::dorn {

UserPreferences::UserPreferences(std::string iniFile) : iniFile_(std::move(iniFile)) {}

std::optional<std::string> UserPreferences::Value(const MessageId& key) const {
  tIniFile ini(iniFile_);
  return ini.GetValue(MessageText(msg::kIniUserSection.number), MessageText(key.number));
}

void UserPreferences::SetValue(const MessageId& key, const std::string& value) {
  const std::string directory = platform::DirectoryPart(iniFile_);
  if (!directory.empty() && !MakeConfigurationDirectory(directory)) return;
  tIniFile ini(iniFile_);
  ini.SetValue(MessageText(msg::kIniUserSection.number), MessageText(key.number), value);
}

std::optional<std::pair<int, int>> NumberPair(const std::string& text) {
  const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
  if (parts.size() != 2) return std::nullopt;
  bool firstOk = false;
  bool secondOk = false;
  const int first = parts[0].trimmed().toInt(&firstOk);
  const int second = parts[1].trimmed().toInt(&secondOk);
  if (!firstOk || !secondOk) return std::nullopt;
  return std::pair{first, second};
}

}  // namespace tarn::dorn
