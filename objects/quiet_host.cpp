#include "objects/quiet_host.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn {

QuietHost::QuietHost() : previous_(SetHost(this)) {}

QuietHost::~QuietHost() { SetHost(previous_); }

void QuietHost::ReportMessage(std::string_view, int) {}

std::string QuietHost::AskQuestion() { return MessageText(msg::kWordNo.number); }

}  // namespace tarn
