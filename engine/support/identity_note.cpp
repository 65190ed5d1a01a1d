#include "engine/support/identity_note.h"

#include <string_view>

#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"

namespace tarn {

void ReportIdentityNote(const tarnEnvironVars& env) {
  Report(kAlert, msg::kIdentityNote, std::string_view(env.userName),
         std::string_view(MessageText(msg::kEnvUserName.number)));
}

}  // namespace tarn
