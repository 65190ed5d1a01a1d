#include "frontend/header_commands.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn::dorn {
namespace {

std::string Word(const MessageId& message) { return MessageText(message.number); }

std::string Option(const MessageId& word) { return " -" + Word(word); }

// "tmh " then the change option and the value: " -<change>  -text "<value>"".
std::string ChangeCommand(const MessageId& change, std::string_view value) {
  return "tmh " + Option(change) + " " + Option(msg::kOptionText) + " \"" + std::string(value) +
         "\"";
}

}  // namespace

std::string AttributesCommand(const AttributeStates& states) {
  struct Attribute {
    int bit;
    const MessageId& word;
  };
  // The order of the attribute words in the catalogue.
  static const std::array<Attribute, 8> kOrder{{
      {5, msg::kWordBinaryFile},
      {0, msg::kWordCheckLock},
      {7, msg::kWordCompression},
      {1, msg::kWordDeleteWork},
      {2, msg::kWordExpandKeywords},
      {6, msg::kWordJournalFile},
      {3, msg::kWordProtectLogFile},
      {4, msg::kWordProtectWorkFile},
  }};
  std::string command = "tmh ";
  for (const Attribute& attribute : kOrder) {
    const TriState state = states[static_cast<std::size_t>(attribute.bit)];
    if (state == TriState::kUndetermined) continue;
    command += Option(msg::kOptionSet) + " " + Word(attribute.word) + "=" +
               Word(state == TriState::kChecked ? msg::kWordYes : msg::kWordNo);
  }
  return command;
}

std::string DescriptionCommand(std::string_view description) {
  return ChangeCommand(msg::kOptionDescription, description);
}

std::string AccessListCommand(const std::vector<std::string>& entries) {
  std::string joined;
  for (const std::string& entry : entries) {
    if (!joined.empty()) joined += ",";
    joined += entry;
  }
  return ChangeCommand(msg::kOptionAccessList, joined);
}

std::string AuthorCommand(std::string_view user) { return ChangeCommand(msg::kOptionOwner, user); }

}  // namespace tarn::dorn
