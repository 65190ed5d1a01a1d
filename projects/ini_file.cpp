#include "projects/ini_file.h"

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <utility>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr int kLockAttempts = 4;
constexpr int kLockPauseMilliseconds = 200;
constexpr char kLockMark = '$';
constexpr char kTempMark = '!';

// The file's name with the first character of its final component replaced.
std::string Marked(const std::string& file_name, char mark) {
  std::string marked = file_name;
  const std::size_t start = platform::DirectoryPart(file_name).size();
  if (start < marked.size()) marked[start] = mark;
  return marked;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsComment(std::string_view line) { return !line.empty() && line.front() == ';'; }

bool IsSectionHeader(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string_view SectionName(std::string_view header) {
  return header.substr(1, header.size() - 2);
}

bool IsHeaderOf(std::string_view line, std::string_view section) {
  return IsSectionHeader(line) && SameName(SectionName(line), section);
}

// The text before the first '='; the whole line when it has none.
std::string_view KeyOf(std::string_view line) { return line.substr(0, line.find('=')); }

bool IsKeyLine(std::string_view line, std::string_view key) {
  return !line.empty() && !IsComment(line) && SameName(KeyOf(line), key);
}

using Lines = std::vector<std::string>;
using SharedLines = std::shared_ptr<const Lines>;

struct ReadResult {
  SharedLines lines;
  std::optional<IniProblem> problem;
};

IniProblem ProblemOf(const std::string& path, IniProblem::Kind kind, std::size_t line = 0) {
  return IniProblem{kind, path, 0, line};
}

// The file's lines without their line ends: LF ends a line, a CR just before
// it is dropped, and a last line without a line end counts as a line. A line
// too long or a NUL byte (no text file of ours holds one) makes the whole
// file unusable.
ReadResult SplitLines(const std::string& path, std::string_view text) {
  auto lines = std::make_shared<Lines>();
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > tIniFile::kMaxLineLength) {
      return {nullptr, ProblemOf(path, IniProblem::Kind::kLineTooLong, number)};
    }
    if (line.find('\0') != std::string_view::npos) {
      return {nullptr, ProblemOf(path, IniProblem::Kind::kBinaryBytes, number)};
    }
    lines->emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return {std::move(lines), std::nullopt};
}

ReadResult Missing() { return {std::make_shared<Lines>(), std::nullopt}; }

ReadResult Unreadable(const std::string& path, int error) {
  if (error == platform::kNotRegularFile || error == EISDIR) {
    return {nullptr, ProblemOf(path, IniProblem::Kind::kNotRegularFile)};
  }
  IniProblem problem = ProblemOf(path, IniProblem::Kind::kUnreadable);
  problem.error = error;
  return {nullptr, problem};
}

// Reads the whole file, opened without blocking and only when it is a regular
// file; `stamp` receives the stamp of what was read.
ReadResult ReadFile(const std::string& path, std::optional<platform::ChangeStamp>& stamp) {
  std::optional<platform::File> file = platform::File::OpenRegular(path, platform::OpenMode::kRead);
  if (!file) return errno == ENOENT ? Missing() : Unreadable(path, errno);
  stamp = platform::ChangeStampOf(*file);
  if (stamp && stamp->size > tIniFile::kMaxFileSize) {
    return {nullptr, ProblemOf(path, IniProblem::Kind::kTooLarge)};
  }
  std::string text;
  std::uint8_t buffer[8192];
  for (;;) {
    const std::ptrdiff_t count = file->Read(buffer);
    if (count < 0) return Unreadable(path, errno);
    if (count == 0) break;
    text.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count));
    // The file may grow while it is read.
    if (text.size() > static_cast<std::size_t>(tIniFile::kMaxFileSize)) {
      return {nullptr, ProblemOf(path, IniProblem::Kind::kTooLarge)};
    }
  }
  return SplitLines(path, text);
}

// The files this process has read, by name, with the stamp of what was read:
// a command looks values up many times, and a file is read again only when
// it has changed. Shared by every thread of the process.
class ReadFiles {
 public:
  ReadResult Read(const std::string& path) {
    // A file nobody here can even look at (its directory is not searchable)
    // is one this process can neither read nor replace: as good as missing.
    // Only a file that is there and will not be read is a problem.
    const std::optional<platform::ChangeStamp> now = platform::ChangeStampOf(path);
    if (!now) return Missing();
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      const auto known = files_.find(path);
      if (known != files_.end() && known->second.stamp == *now) {
        return {known->second.lines, std::nullopt};
      }
    }
    std::optional<platform::ChangeStamp> stamp;
    ReadResult result = ReadFile(path, stamp);
    if (result.lines && stamp) Remember(path, *stamp, result.lines);
    return result;
  }

  void Remember(const std::string& path, const platform::ChangeStamp& stamp, SharedLines lines) {
    const std::lock_guard<std::mutex> hold(mutex_);
    files_[path] = Known{stamp, std::move(lines)};
  }

 private:
  struct Known {
    platform::ChangeStamp stamp;
    SharedLines lines;
  };
  std::mutex mutex_;
  std::map<std::string, Known> files_;
};

ReadFiles& TheReadFiles() {
  static ReadFiles files;
  return files;
}

// A section's body: the lines after its header up to the next header.
std::vector<std::string_view> SectionBody(const std::vector<std::string>& lines,
                                          std::string_view section) {
  std::vector<std::string_view> body;
  bool inside = false;
  for (const std::string& line : lines) {
    if (IsSectionHeader(line)) {
      if (inside) break;
      inside = SameName(SectionName(line), section);
      continue;
    }
    if (inside && !line.empty()) body.emplace_back(line);
  }
  return body;
}

bool HasLineBreak(std::string_view text) {
  return text.find('\n') != std::string_view::npos || text.find('\r') != std::string_view::npos;
}

// The rewritten file: the old lines without empty ones, one blank line
// before every header that follows something, and `new_line` (when there is
// one) in place of the key's lines or at the end of the section, which is
// appended when it is missing.
std::vector<std::string> Rewritten(const std::vector<std::string>& old, std::string_view section,
                                   std::string_view key,
                                   const std::optional<std::string>& new_line) {
  std::vector<std::string> out;
  bool inside = false;
  bool found = false;
  bool done = false;
  auto put_new_line = [&] {
    if (new_line) out.push_back(*new_line);
    done = true;
  };
  for (const std::string& line : old) {
    if (line.empty()) continue;
    if (IsSectionHeader(line)) {
      if (inside && !done) put_new_line();
      inside = SameName(SectionName(line), section);
      found = found || inside;
      if (!out.empty()) out.emplace_back();
      out.push_back(line);
      continue;
    }
    if (inside && IsKeyLine(line, key)) {
      // Every line of the key is replaced; the new line stands only once.
      if (!done) put_new_line();
      continue;
    }
    out.push_back(line);
  }
  if (!done) {
    if (!found) {
      if (!out.empty()) out.emplace_back();
      out.push_back("[" + std::string(section) + "]");
    }
    if (new_line) out.push_back(*new_line);
  }
  return out;
}

// The file without the section's header and lines, blank lines collapsed as
// every rewrite does.
std::vector<std::string> WithoutSection(const std::vector<std::string>& old,
                                        std::string_view section) {
  std::vector<std::string> out;
  bool skipping = false;
  for (const std::string& line : old) {
    if (line.empty()) continue;
    if (IsSectionHeader(line)) {
      skipping = SameName(SectionName(line), section);
      if (skipping) continue;
      if (!out.empty()) out.emplace_back();
    } else if (skipping) {
      continue;
    }
    out.push_back(line);
  }
  return out;
}

// Where a change of `file_name` goes: through symbolic links to the file they
// name, so that a link to a shared file keeps leading to it.
std::string ChangedFile(const std::string& file_name) {
  if (file_name.empty()) return file_name;
  return platform::FollowLinks(file_name).value_or(file_name);
}

std::string DirectoryOf(const std::string& path) {
  const std::string directory = platform::DirectoryPart(path);
  return directory.empty() ? std::string(".") : directory;
}

// True when the file holds a password: a non-empty value in the users section.
bool HoldsPasswords(const Lines& lines) {
  const std::string_view users = MessageText(msg::kIniUsersSection.number);
  for (std::string_view line : SectionBody(lines, users)) {
    const std::size_t equals = line.find('=');
    if (!IsComment(line) && equals != std::string_view::npos && equals + 1 < line.size()) {
      return true;
    }
  }
  return false;
}

constexpr unsigned kPermissionBits = 0777;
constexpr unsigned kGroupBits = 0070;
constexpr unsigned kWorldBits = 0007;
constexpr unsigned kGroupWrite = 0020;

// The new file's permission bits: the old file's; for a first file the
// owner's, and the group's too where the directory is shared with a group.
// Passwords are never for everyone, and for the group only where the
// directory is shared.
unsigned NewFileMode(const std::optional<platform::FileOwnership>& old,
                     const std::optional<platform::FileOwnership>& directory, bool passwords) {
  const bool shared = directory && (directory->mode & kGroupWrite) != 0;
  unsigned mode = old ? (old->mode & kPermissionBits) : (0600u | (shared ? 0060u : 0u));
  if (passwords) {
    mode &= ~kWorldBits;
    if (!shared) mode &= ~kGroupBits;
  }
  return mode;
}

}  // namespace

tIniFile::tIniFile(std::string file_name)
    : file_name_(std::move(file_name)),
      target_file_name_(ChangedFile(file_name_)),
      lock_file_name_(Marked(target_file_name_, kLockMark)),
      temp_file_name_(Marked(target_file_name_, kTempMark)) {}

tIniFile::~tIniFile() = default;

bool tIniFile::IsUsableName(std::string_view text) {
  return !text.empty() && !HasLineBreak(text) && text.find('=') == std::string_view::npos &&
         text.find('\0') == std::string_view::npos && text.front() != '[' &&
         text.front() != ';';
}

bool tIniFile::Lock() { return TakeLock() == IniWrite::kWritten; }

IniWrite tIniFile::TakeLock() {
  if (lock_) return IniWrite::kWritten;
  if (file_name_.empty()) return IniWrite::kWriteFailed;
  // A directory that takes no files is no busy lock: say why at once.
  if (!platform::CanCreateFilesIn(DirectoryOf(target_file_name_))) {
    return IniWrite::kDirectoryNotWritable;
  }
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (attempt > 0) platform::SleepMilliseconds(kLockPauseMilliseconds);
    lock_ = platform::LockFile::TryAcquire(lock_file_name_);
    if (lock_) {
      // What was read before belongs to a file others may have changed since.
      lines_.reset();
      return IniWrite::kWritten;
    }
  }
  return IniWrite::kLockBusy;
}

const std::vector<std::string>& tIniFile::Lines() {
  // Without the lock another process may change the file at any time, so
  // every read asks whether it has; with it, only this object changes it.
  if (!lines_ || !lock_) {
    ReadResult read = TheReadFiles().Read(file_name_);
    problem_ = std::move(read.problem);
    lines_ = read.lines ? std::move(read.lines) : std::make_shared<const tarn::Lines>();
  }
  return *lines_;
}

std::optional<IniProblem> tIniFile::Problem() {
  Lines();
  return problem_;
}

std::optional<std::string> tIniFile::GetValue(std::string_view section, std::string_view key) {
  for (std::string_view line : SectionBody(Lines(), section)) {
    if (!IsKeyLine(line, key)) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::string(line.substr(equals + 1));
  }
  return std::nullopt;
}

std::vector<std::string> tIniFile::GetKeyNames(std::string_view section) {
  std::vector<std::string> keys;
  for (std::string_view line : SectionBody(Lines(), section)) {
    const std::string_view key = KeyOf(line);
    if (!key.empty() && !IsComment(key)) keys.emplace_back(key);
  }
  return keys;
}

std::vector<std::string> tIniFile::GetEntries(std::string_view section) {
  std::vector<std::string> entries;
  for (std::string_view line : SectionBody(Lines(), section)) {
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos && equals > 0 && !IsComment(line)) {
      entries.emplace_back(line);
    }
  }
  return entries;
}

bool tIniFile::HasSection(std::string_view section) {
  for (const std::string& line : Lines()) {
    if (IsHeaderOf(line, section)) return true;
  }
  return false;
}

IniWrite tIniFile::SetValue(std::string_view section, std::string_view key,
                            std::string_view value) {
  if (HasLineBreak(value) || value.find('\0') != std::string_view::npos) return IniWrite::kBadText;
  if (value.empty()) return ReplaceLine(section, key, std::nullopt);
  return ReplaceLine(section, key, std::string(key) + "=" + std::string(value));
}

IniWrite tIniFile::SetEmptyValue(std::string_view section, std::string_view key) {
  return ReplaceLine(section, key, std::string(key) + "=");
}

IniWrite tIniFile::ReplaceLine(std::string_view section, std::string_view key,
                               std::optional<std::string> new_line) {
  if (!IsUsableName(key) || HasLineBreak(section) || section.find(']') != std::string_view::npos ||
      section.empty() || section.find('\0') != std::string_view::npos) {
    return IniWrite::kBadText;
  }
  const IniWrite ready = ReadyToChange();
  if (ready != IniWrite::kWritten) return ready;
  return WriteWhole(Rewritten(Lines(), section, key, new_line));
}

IniWrite tIniFile::RemoveSection(std::string_view section) {
  const IniWrite ready = ReadyToChange();
  if (ready != IniWrite::kWritten) return ready;
  return WriteWhole(WithoutSection(Lines(), section));
}

IniWrite tIniFile::ReadyToChange() {
  const IniWrite locked = TakeLock();
  if (locked != IniWrite::kWritten) return locked;
  // What cannot be read whole is never rewritten: the rewrite would keep only
  // the change.
  Lines();
  if (problem_) return IniWrite::kUnreadable;
  // The directory lets anyone in the team replace the file; the file's own
  // bits say whether this writer may change it.
  if (platform::FileExists(target_file_name_) && !platform::CanWriteInPlace(target_file_name_)) {
    return IniWrite::kReadOnly;
  }
  return IniWrite::kWritten;
}

IniWrite tIniFile::WriteWhole(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  // Only the lock's holder writes the temporary file, so one found here was
  // left by a writer that died: it is ours to replace.
  platform::DeleteFile(temp_file_name_);
  std::optional<platform::File> file =
      platform::File::Open(temp_file_name_, platform::OpenMode::kCreateExclusive);
  if (!file) return IniWrite::kWriteFailed;
  auto give_up = [this](IniWrite why) {
    const int error = errno;
    platform::DeleteFile(temp_file_name_);
    errno = error;
    return why;
  };
  const std::optional<platform::FileOwnership> old = platform::OwnershipOf(target_file_name_);
  const std::optional<platform::FileOwnership> directory =
      platform::OwnershipOf(DirectoryOf(target_file_name_));
  const std::optional<platform::FileOwnership> made = platform::OwnershipOf(*file);
  const std::optional<unsigned> group = old ? std::optional<unsigned>(old->group) : std::nullopt;
  if (!platform::GiveGroupAndMode(*file, group, NewFileMode(old, directory, HoldsPasswords(lines)))) {
    const bool group_refused = group && made && made->group != *group;
    return give_up(group_refused ? IniWrite::kGroupRefused : IniWrite::kWriteFailed);
  }
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  bool written = file->WriteAll(bytes) && file->Sync();
  const std::optional<platform::ChangeStamp> stamp = platform::ChangeStampOf(*file);
  written = file->Close() && written;
  if (!written || !platform::RenameFile(temp_file_name_, target_file_name_)) {
    return give_up(IniWrite::kWriteFailed);
  }
  platform::SyncDirectory(DirectoryOf(target_file_name_));
  auto kept = std::make_shared<const tarn::Lines>(lines);
  if (stamp) TheReadFiles().Remember(file_name_, *stamp, kept);
  lines_ = std::move(kept);
  problem_.reset();
  return IniWrite::kWritten;
}

}  // namespace tarn
