#include "engine/store/journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>
#include <span>
#include <utility>

#include "engine/format/attribute_words.h"
#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/message_format.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/lock_file.h"
#include "platform/paths.h"

namespace tarn {

namespace {

std::string TwoDigitFields(int first, int second, int third, char separator) {
  const std::array<MessageArg, 3> args{MessageArg(first), MessageArg(second), MessageArg(third)};
  std::string format = "%02.2d";
  format.append(1, separator).append("%02.2d").append(1, separator).append("%02.2d");
  return FormatWithArgs(format, args);
}

platform::LocalTime CurrentJournalTime() { return platform::ToLocalTime(platform::CurrentTime()); }

// How often a busy journal lock is looked at again within one attempt.
constexpr int kLockPollMilliseconds = 20;
constexpr int kLockPollsPerAttempt = 1000 / kLockPollMilliseconds;

// Waits up to about a second for the journal's lock file. The lock is held
// only for the length of one append, so a busy one is normally free again
// within milliseconds; a stale one (its holder ended) is cleared by the
// first look and taken by the next.
std::optional<platform::LockFile> LockJournalForAnAttempt(const std::string& lock_path) {
  for (int poll = 0; poll < kLockPollsPerAttempt; ++poll) {
    std::optional<platform::LockFile> lock = platform::LockFile::TryAcquire(lock_path);
    if (lock) return lock;
    platform::SleepMilliseconds(kLockPollMilliseconds);
  }
  return std::nullopt;
}

// Why a journal could not be opened for an append. Only a busy or passing
// trouble is worth waiting for: a link, a FIFO or a refusal stays what it
// is, and waiting through the retries would only hold up the command.
enum class JournalTrouble { kPassing, kNotAFile, kRefused };

JournalTrouble TroubleOf(int code) {
  if (code == ELOOP || code == EISDIR || code == platform::kNotRegularFile) {
    return JournalTrouble::kNotAFile;
  }
  if (code == EACCES || code == EPERM || code == EROFS) return JournalTrouble::kRefused;
  return JournalTrouble::kPassing;
}

// Opens the journal for one append: only a regular file reached without a
// symbolic link at its own name, so that a link planted in a shared
// directory never makes a member append to a file of theirs elsewhere (a
// shell profile), and a FIFO never hangs the command. A missing journal is
// made, shared as its directory shares files (group-writable in a team's
// group directory), so that every member can append to it.
std::optional<platform::File> OpenJournal(const std::string& path) {
  std::optional<platform::File> made = platform::File::OpenRegular(
      path, platform::OpenMode::kCreateExclusive, platform::LinkRule::kRefuse);
  if (made) {
    if (!made->ShareAs(platform::DirectoryPart(path), false, nullptr)) return std::nullopt;
    return made;
  }
  if (errno != EEXIST) return std::nullopt;
  return platform::File::OpenRegular(path, platform::OpenMode::kAppend,
                                     platform::LinkRule::kRefuse);
}

// Reports a journal that cannot take entries at all. True when `code` is
// such a trouble (reported), false for one that may pass.
bool ReportedAsLasting(const std::string& path, int code) {
  switch (TroubleOf(code)) {
    case JournalTrouble::kNotAFile:
      Report(kAlert, msg::kJournalNotAFile, path);
      return true;
    case JournalTrouble::kRefused:
      Report(kAlert, msg::kJournalRefused, path, platform::ErrorText(code));
      return true;
    case JournalTrouble::kPassing:
      break;
  }
  return false;
}

// Appends one entry to a journal, holding the journal's lock file while it
// writes: appends alone are not atomic between machines on a network file
// system, the lock file is (see platform/lock_file.h). A journal that is
// busy is tried `retry_count` times, about a second apart; none of the
// attempts being left, it is reported and given up. One that this user may
// not write, or that is no regular file, is reported at once.
//
// The entry goes to the file in one write, so that even a writer that does
// not lock (an older program) never splits it on one machine. A failed
// write (a full disk, a late error from a network file system at close) is
// reported like a journal that could not be opened: the message names the
// journal that lacks the entry, and the command goes on.
void AppendToJournal(const std::string& path, std::int16_t retry_count, const std::string& entry) {
  const std::string lock_path = JournalLockFileName(path);
  const std::string directory = platform::DirectoryPart(lock_path);
  for (int attempt = 1; attempt <= retry_count; ++attempt) {
    // No lock file can be made here: a refusal, not a busy journal.
    if (!platform::CanCreateFilesIn(directory) && ReportedAsLasting(path, errno)) return;
    std::optional<platform::LockFile> lock = LockJournalForAnAttempt(lock_path);
    if (!lock) continue;  // the attempt's second is used up
    std::optional<platform::File> journal = OpenJournal(path);
    if (!journal) {
      const int code = errno;
      lock->Release();
      if (ReportedAsLasting(path, code)) return;
      // Every failed attempt waits a second, as the logfile lock does.
      platform::SleepSeconds(1);
      continue;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry.data());
    const bool written = journal->WriteAll(std::span<const std::uint8_t>(bytes, entry.size()));
    if (!journal->Close() || !written) Report(kAlert, msg::kJournalOpenFailed, path);
    return;
  }
  Report(kAlert, msg::kJournalOpenFailed, path);
}

std::string LogfileField(std::string_view logfile_name) {
  std::string full = platform::FullPathName(logfile_name);
  return full.empty() ? std::string(logfile_name) : full;
}

void WriteGlobalEntry(std::string_view program_label, const tarnEnvironVars& environment,
                      const std::string& logfile, std::string_view text) {
  std::string entry;
  try {
    entry = GlobalJournalEntry(program_label, logfile, environment.userName, CurrentJournalTime(),
                               text);
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
    return;
  }
  AppendToJournal(*environment.globalJournalName, environment.retryCount, entry);
}

void WriteLocalEntry(const tarnEnvironVars& environment, const std::string& logfile,
                     std::string_view text) {
  AppendToJournal(LocalJournalPath(environment.journalPath, environment.journalName),
                  environment.retryCount,
                  LocalJournalEntry(logfile, environment.userName, CurrentJournalTime(), text));
}

// Appends the description lines: "  line\n" for all but the last, which
// has no line end of its own.
void AppendDescriptionLines(std::string& text, std::string_view description) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = description.find('\n', start);
    text += "  ";
    if (end == std::string_view::npos) {
      text += description.substr(start);
      return;
    }
    text += description.substr(start, end - start);
    text += '\n';
    start = end + 1;
  }
}

std::string Word(const MessageId& word) { return MessageText(word.number); }

}  // namespace

namespace {

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::string QuotedJournalText(std::string_view value) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string quoted = "\"";
  for (const char c : value) {
    switch (c) {
      case '"':
      case '\\':
        quoted.append(1, '\\').append(1, c);
        break;
      case '\n':
        quoted.append("\\n");
        break;
      case '\r':
        quoted.append("\\r");
        break;
      case '\t':
        quoted.append("\\t");
        break;
      default:
        if (IsControl(c)) {
          const auto byte = static_cast<unsigned char>(c);
          quoted.append("\\x").append(1, kHexDigits[byte >> 4]).append(1, kHexDigits[byte & 0xF]);
        } else {
          quoted.append(1, c);
        }
    }
  }
  return quoted.append(1, '"');
}

std::string JournalField(std::string_view value) {
  const bool plain = std::none_of(value.begin(), value.end(),
                                  [](char c) { return c == ',' || c == '"' || IsControl(c); });
  return plain ? std::string(value) : QuotedJournalText(value);
}

std::string JournalDateField(const platform::LocalTime& when) {
  return TwoDigitFields(when.month, when.day, when.year - 1900, '/');
}

std::string JournalTimeField(const platform::LocalTime& when) {
  return TwoDigitFields(when.hour, when.minute, when.second, ':');
}

std::string LocalJournalEntry(std::string_view logfile, std::string_view user,
                              const platform::LocalTime& when, std::string_view text) {
  std::string entry;
  entry.reserve(logfile.size() + user.size() + text.size() + 24);
  entry.append(JournalField(logfile)).append(",").append(JournalField(user)).append(",");
  entry.append(JournalDateField(when)).append(",").append(JournalTimeField(when)).append(",");
  entry.append(text).append("\n");
  return entry;
}

std::string GlobalJournalEntry(std::string_view program_label, std::string_view logfile,
                               std::string_view user, const platform::LocalTime& when,
                               std::string_view text) {
  std::string one_line(text);
  // Carriage returns are line ends to readers that accept both forms.
  for (char& c : one_line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::string entry(program_label);
  entry.append(",").append(LocalJournalEntry(logfile, user, when, one_line));
  return entry;
}

void WriteJournalEntry(std::string_view program_label, const tarnEnvironVars& environment,
                       std::string_view logfile_name, std::string_view text) {
  try {
    const std::string logfile = LogfileField(logfile_name);
    // An empty name names no file: there is no global journal.
    if (environment.globalJournalName && !environment.globalJournalName->empty()) {
      WriteGlobalEntry(program_label, environment, logfile, text);
    }
    WriteLocalEntry(environment, logfile, text);
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
  }
}

std::optional<std::string> CheckInJournalText(std::string_view program_label,
                                              const CheckInJournalFacts& facts) {
  try {
    std::string text(program_label);
    if (facts.keepLock) text.append(" -").append(Word(msg::kOptionLock));
    if (facts.workfile) {
      text.append(" -").append(Word(msg::kOptionWorkfile)).append(" ");
      text.append(JournalField(*facts.workfile));
    }
    text.append(" -").append(Word(msg::kOptionRevision)).append(" ").append(facts.revisionNumber);
    for (const auto& [bit, name] : kAttributeWords) {
      // A journal entry echoes every overridden attribute but its own switch.
      if (bit == kAttrJournalFile || (facts.overriddenAttributes & bit) == 0) continue;
      const bool in_effect = (facts.effectiveAttributes & bit) != 0;
      text.append(" -").append(Word(msg::kOptionSet)).append(" ");
      text.append(Word(*name)).append("=").append(Word(in_effect ? msg::kWordYes : msg::kWordNo));
    }
    text.append(" ").append(JournalField(facts.name)).append("\n");
    AppendDescriptionLines(text,
                           facts.onlyReleasedLock
                               ? std::string_view(MessageText(msg::kUnchangedDescription.number))
                               : std::string_view(facts.description));
    return text;
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
    return std::nullopt;
  }
}

}  // namespace tarn
