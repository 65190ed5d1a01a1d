#include "engine/support/usage.h"

#include <optional>
#include <string>
#include <utility>

#include "engine/support/line_pieces.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "platform/console.h"
#include "platform/installed_files.h"

namespace tarn {
namespace {

// Lines of the usage text are read in pieces of at most this many characters;
// a longer line counts as several.
constexpr int kUsageLineLength = 255;

std::FILE*& UsageStream() {
  static std::FILE* stream = nullptr;
  return stream;
}

UsagePointer& PointerStorage() {
  static UsagePointer pointer;
  return pointer;
}

// `piece` (the start of a line) with its first word replaced by `command`.
std::string WithCommand(std::string_view piece, std::string_view command) {
  const std::size_t blank = piece.find_first_of(" \n");
  if (blank == std::string_view::npos) return std::string(command);
  std::string line(command);
  line += piece.substr(blank);
  return line;
}

void PrintLine(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
  if (text.empty() || text.back() != '\n') std::fputc('\n', out);
}

// The program label of a usage message is the label being listed, which
// need not be the one in force.
std::string UsageMessage(const MessageId& message, std::string_view program_label) {
  const MessageArg label(program_label);
  return FormatWithArgs(MessageText(message.number), std::span(&label, 1), kMessageBufferSize - 1);
}

void PauseListing(std::FILE* out, const UsagePause& pause) {
  if (!pause.enabled) return;
  PrintLine(out, MessageText(msg::kUsagePause.number));
  std::fflush(out);
  if (pause.wait_for_key) pause.wait_for_key();
}

}  // namespace

UsagePause ConsoleUsagePause() {
  return UsagePause{platform::StandardInputIsTerminal(),
                    [] { static_cast<void>(platform::ReadConsoleCharacter()); }};
}

std::string UsageFilePath(std::string_view program_label) {
  std::string name(program_label);
  name += kUsageFileExtension;
  return platform::InstalledFilePath(name);
}

void SetUsageStream(std::FILE* stream) { UsageStream() = stream; }

void SetUsagePointer(UsagePointer help_command) { PointerStorage() = std::move(help_command); }

void PrintUsage(std::string_view program_label, int argument_count) {
  if (PointerStorage()) {
    const std::string help_command = PointerStorage()(program_label);
    if (!help_command.empty()) {
      Report(kAlert, msg::kSeeHelp, std::string_view(help_command));
      return;
    }
  }
  std::FILE* out = UsageStream() != nullptr ? UsageStream() : stdout;
  PrintUsageFrom(UsageFilePath(program_label), program_label, argument_count, out,
                 ConsoleUsagePause());
}

void PrintUsageFrom(const std::string& usage_path, std::string_view program_label,
                    int argument_count, std::FILE* out, const UsagePause& pause,
                    std::string_view synopsis_command) {
  // The refusal has just been reported; let it be read before the listing
  // scrolls it away.
  if (argument_count > 1 && pause.enabled) {
    ReportRaw(kStatus, msg::kUsagePause);
    if (pause.wait_for_key) pause.wait_for_key();
  }
  // Only a regular file is listed: a FIFO or device would hang the program.
  std::optional<LinePieces> file = LinePieces::Read(usage_path, kUsageLineLength + 1);
  if (!file) {
    PrintLine(out, UsageMessage(msg::kUsageFileMissing, program_label));
    std::fflush(out);
    return;
  }
  PrintLine(out, UsageMessage(msg::kUsageHeading, program_label));
  std::string piece;
  int lines_shown = 0;
  bool ends_with_line_end = true;
  bool in_synopsis = !synopsis_command.empty();
  while (file->Next(piece)) {
    if (in_synopsis && ends_with_line_end) {
      if (piece == "\n" || piece == "\r\n") {
        in_synopsis = false;
      } else {
        piece = WithCommand(piece, synopsis_command);
      }
    }
    std::fwrite(piece.data(), 1, piece.size(), out);
    ends_with_line_end = !piece.empty() && piece.back() == '\n';
    if (++lines_shown % kUsageLinesPerPage == 0) PauseListing(out, pause);
  }
  if (!ends_with_line_end) std::fputc('\n', out);
  std::fflush(out);
}

}  // namespace tarn
