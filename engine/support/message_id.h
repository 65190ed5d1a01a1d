// A catalogue message number together with the arguments its text takes.
//
// Every message the engine reports is a constant of messages.h. Its signature
// lists the arguments that follow the program label, one letter each:
// 's' text, 'd' signed number, 'u' unsigned number. A report whose arguments
// do not agree with the signature does not compile, and a test checks every
// signature against the conversions of the catalogue file.
#pragma once

#include <string_view>
#include <type_traits>

namespace tarn {

enum class MessageUse {
  kFormatted,     // a printf-style text; the program label is its first argument
  kLabelSecond,   // a printf-style text whose first argument comes before the label
  kWithoutLabel,  // a printf-style text of its own arguments only (no program label)
  kRaw,           // handed to the host as it stands (no conversions at all)
  kWord,          // a word the engine compares against: option, attribute, yes/no
};

struct MessageId {
  int number;
  std::string_view signature;
  MessageUse use = MessageUse::kFormatted;
};

template <class T>
consteval char MessageArgLetter() {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<U, bool> || std::is_same_v<U, char>) {
    return '?';
  } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
    return 'd';
  } else if constexpr (std::is_integral_v<U>) {
    return 'u';
  } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
    return 's';
  } else {
    return '?';
  }
}

// Called only when a signature check fails; being non-constexpr, it turns
// the mismatch into a compile error at the reporting call.
void MessageArgumentsDoNotMatchSignature();

template <class... Args>
struct CheckedMessage {
  MessageId id;

  consteval CheckedMessage(MessageId message) : id(message) {
    constexpr char letters[] = {MessageArgLetter<Args>()..., '\0'};
    if (message.use == MessageUse::kRaw || message.use == MessageUse::kWord ||
        message.signature != std::string_view(letters, sizeof...(Args))) {
      MessageArgumentsDoNotMatchSignature();
    }
  }
};

}  // namespace tarn
