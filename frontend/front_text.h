// Front-end texts from the catalogue, as Qt strings.
#pragma once

#include <QString>
#include <string>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "frontend/front_messages.h"

namespace tarn::dorn {

inline QString Qs(const std::string& text) { return QString::fromStdString(text); }

// The text of a catalogue message that takes no arguments.
inline QString CatalogueText(const MessageId& message) { return MessageText(message.number); }

// A front-end message formatted with its arguments.
template <class... Args>
QString FrontText(CheckedMessage<std::type_identity_t<Args>...> message, const Args&... args) {
  return Qs(FormatMessage(message, args...));
}

}  // namespace tarn::dorn
