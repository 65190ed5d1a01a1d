#include "tools/tarn/silent_host.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn::cli {

std::string SilentHost::AskQuestion() { return MessageText(msg::kWordNo.number); }

}  // namespace tarn::cli
