#include "objects/command_line_identity.h"

#include <optional>
#include <string>
#include <string_view>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/environment_variables.h"
#include "platform/login_name.h"

namespace tarn {

namespace {

// Set to "" counts as not set, as everywhere.
bool VariableIsSet(const MessageId& name) {
  const std::optional<std::string> value =
      platform::GetEnvironmentVariable(MessageText(name.number));
  return value && !value->empty();
}

}  // namespace

void UseLoginNameUnlessSet(tEnvVar& settings) {
  if (VariableIsSet(msg::kEnvUserName)) return;
  const std::optional<std::string> login = platform::LoginName();
  if (login) settings.UserName(login->c_str());
}

void DefaultAccessListToUser(tEnvVar& settings) {
  if (VariableIsSet(msg::kEnvAccessList)) return;
  if (std::string_view(settings.AccessList()) != MessageText(msg::kWordNone.number)) return;
  settings.AccessList(settings.UserName());
}

void ApplyCommandLineIdentity(tEnvVar& settings) {
  UseLoginNameUnlessSet(settings);
  DefaultAccessListToUser(settings);
}

}  // namespace tarn
