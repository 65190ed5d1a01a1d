// Reporting to the user: the host, the program label and catalogue messages.
//
// The engine never talks to the user directly. It formats a catalogue message
// with the program label as its first argument and hands the text to the
// current host, which shows it (console, desktop front end, or a recording
// host in tests). Questions are reported first and then asked through the
// host, which answers with the catalogue word for yes or no.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "engine/support/message_format.h"
#include "engine/support/message_id.h"
#include "engine/support/messages.h"
#include "engine/support/source_location.h"

namespace tarn {

enum MessageKind : int {
  kStatus = 10,  // an informational result
  kAlert = 11,   // an error or warning
};

class Host {
 public:
  virtual ~Host() = default;
  virtual void ReportMessage(std::string_view text, int kind) = 0;
  // Asks the question last reported; returns the text of message 29 or 18.
  virtual std::string AskQuestion() = 0;
};

// The host the engine reports to. Until one is set, the console host.
Host& CurrentHost();
// Installs `host` (not owned; it must outlive its use). Null restores the
// console host. Returns the host that was in place.
Host* SetHost(Host* host);

// The process-wide program label, "TARN 2.3" unless a command sets its own.
const std::string& ProgramLabel();
void SetProgramLabel(std::string_view label);

// Restores the previous program label when it goes out of scope.
class ScopedProgramLabel {
 public:
  explicit ScopedProgramLabel(std::string_view label);
  ~ScopedProgramLabel();
  ScopedProgramLabel(const ScopedProgramLabel&) = delete;
  ScopedProgramLabel& operator=(const ScopedProgramLabel&) = delete;

 private:
  std::string previous_;
};

// The label messages show while it lives, in place of the program label,
// which journals, usage texts and locks go on using: tarn runs a command
// under its command word (tput) and shows it as the person typed it
// (tarn put).
class ScopedMessageLabel {
 public:
  explicit ScopedMessageLabel(std::string_view label);
  ~ScopedMessageLabel();
  ScopedMessageLabel(const ScopedMessageLabel&) = delete;
  ScopedMessageLabel& operator=(const ScopedMessageLabel&) = delete;

 private:
  std::optional<std::string> previous_;
};

// The label messages begin with: the one shown, else the program label.
const std::string& MessageLabel();

// The engine message buffer holds 512 bytes; formatted texts are cut to fit.
inline constexpr std::size_t kMessageBufferSize = 512;

// Formats a message with the program label (and its arguments) without
// reporting it. Raw messages come back as their text.
std::string FormatMessageArgs(const MessageId& message, std::span<const MessageArg> args);

template <class... Args>
std::string FormatMessage(CheckedMessage<std::type_identity_t<Args>...> message,
                          const Args&... args) {
  const std::array<MessageArg, sizeof...(Args)> list{MessageArg(args)...};
  return FormatMessageArgs(message.id, list);
}

void ReportFormatted(int kind, const MessageId& message, std::span<const MessageArg> args);

template <class... Args>
void Report(MessageKind kind, CheckedMessage<std::type_identity_t<Args>...> message,
            const Args&... args) {
  const std::array<MessageArg, sizeof...(Args)> list{MessageArg(args)...};
  ReportFormatted(kind, message.id, list);
}

// Reports a message without arguments that is handed over unformatted.
void ReportRaw(MessageKind kind, const MessageId& message);

// Internal faults (read, write, seek, memory) name the engine's source module
// and line: "header_io", 120.
std::string SourceModuleName(const SourceLocation& where);
void ReportFault(CheckedMessage<std::string_view, int> message,
                 SourceLocation where = SourceLocation::current());

// A write failed (a full disk, a quota, an I/O error): reports the system's
// reason for it (message 465), never a place in the source, which would
// tell the user nothing. errno is left as the failed write set it.
void ReportWriteFailure();

// A system call failed: reports `message` with its subject (a path) and the
// system's reason for error `code` (the errno value the call left), as an
// alert. Every failed call that is reported names its reason this way.
void ReportSystemFailure(CheckedMessage<std::string_view, std::string_view> message,
                         std::string_view subject, int code);
void ReportSystemFailure(CheckedMessage<std::string_view, std::string_view> message,
                         std::string_view subject);

// What is wrong with a damaged logfile, in words of the catalogue.
enum class DamageKind {
  kCutShort,        // the file ends inside a header or record
  kBadHeaderField,  // a size or count in the header that no logfile holds
  kBadRecordField,  // a field of a revision record out of its range
  kRecordOrder,     // records out of the order every writer keeps
  kBadDescription,  // a check-in description that does not end in its NUL
  kBadData,         // stored data that cannot be applied or expanded
  kHeaderDisagrees, // the header's counts or numbers differ from the records
};

// Reports that the logfile is damaged, saying how. The command that finds
// it then fails; it never returns text it cannot vouch for.
void ReportDamage(DamageKind kind);

// Asks the host the question just reported; true when it answered yes
// (message 29, letter case ignored).
bool AskYes();

}  // namespace tarn
