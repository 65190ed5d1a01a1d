#include "projects/ini_file.h"

#include <cerrno>
#include <cstdint>
#include <span>
#include <utility>

#include "platform/clock.h"
#include "platform/file.h"
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

// The file's lines without their line ends: LF ends a line, a CR just before
// it is dropped, and a last line without a line end counts as a line.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The whole file; an empty text when it is missing or unreadable (readers
// take a file they cannot read as one without values, and fall back).
std::string ReadWhole(const std::string& path) {
  std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kRead);
  if (!file) return {};
  std::string text;
  std::uint8_t buffer[8192];
  for (;;) {
    const std::ptrdiff_t count = file->Read(buffer);
    if (count <= 0) break;
    text.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count));
  }
  return text;
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

}  // namespace

tIniFile::tIniFile(std::string file_name)
    : file_name_(std::move(file_name)),
      lock_file_name_(Marked(file_name_, kLockMark)),
      temp_file_name_(Marked(file_name_, kTempMark)) {}

tIniFile::~tIniFile() = default;

bool tIniFile::IsUsableName(std::string_view text) {
  return !text.empty() && !HasLineBreak(text) && text.find('=') == std::string_view::npos &&
         text.front() != '[' && text.front() != ';';
}

bool tIniFile::Lock() {
  if (lock_) return true;
  if (file_name_.empty()) return false;
  const std::string directory = platform::DirectoryPart(file_name_);
  if (!platform::CanCreateFilesIn(directory.empty() ? std::string(".") : directory)) return false;
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (attempt > 0) platform::SleepMilliseconds(kLockPauseMilliseconds);
    lock_ = platform::LockFile::TryAcquire(lock_file_name_);
    if (lock_) {
      // What was read before belongs to a file others may have changed since.
      lines_.reset();
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& tIniFile::Lines() {
  // Without the lock another process may change the file at any time, so
  // every read looks at it afresh; with it, only this object changes it.
  if (!lines_ || !lock_) lines_ = SplitLines(ReadWhole(file_name_));
  return *lines_;
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
  if (HasLineBreak(value)) return IniWrite::kBadText;
  if (value.empty()) return ReplaceLine(section, key, std::nullopt);
  return ReplaceLine(section, key, std::string(key) + "=" + std::string(value));
}

IniWrite tIniFile::SetEmptyValue(std::string_view section, std::string_view key) {
  return ReplaceLine(section, key, std::string(key) + "=");
}

IniWrite tIniFile::ReplaceLine(std::string_view section, std::string_view key,
                               std::optional<std::string> new_line) {
  if (!IsUsableName(key) || HasLineBreak(section) || section.find(']') != std::string_view::npos ||
      section.empty()) {
    return IniWrite::kBadText;
  }
  const IniWrite locked = TakeLock();
  if (locked != IniWrite::kWritten) return locked;
  return WriteWhole(Rewritten(Lines(), section, key, new_line));
}

IniWrite tIniFile::RemoveSection(std::string_view section) {
  const IniWrite locked = TakeLock();
  if (locked != IniWrite::kWritten) return locked;
  return WriteWhole(WithoutSection(Lines(), section));
}

IniWrite tIniFile::TakeLock() {
  if (Lock()) return IniWrite::kWritten;
  // A directory that takes no files is no busy lock: say why at once.
  const std::string directory = platform::DirectoryPart(file_name_);
  if (!platform::CanCreateFilesIn(directory.empty() ? std::string(".") : directory)) {
    return IniWrite::kWriteFailed;
  }
  return IniWrite::kLockBusy;
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
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  bool written = file->WriteAll(bytes) && file->Sync();
  written = file->Close() && written;
  // The team keeps the access it had to the old file.
  if (written && platform::FileExists(file_name_)) {
    platform::CopyPermissionBits(file_name_, temp_file_name_);
  }
  if (!written || !platform::RenameFile(temp_file_name_, file_name_)) {
    const int error = errno;
    platform::DeleteFile(temp_file_name_);
    errno = error;
    return IniWrite::kWriteFailed;
  }
  platform::SyncDirectory(platform::DirectoryPart(file_name_));
  lines_ = lines;
  return IniWrite::kWritten;
}

}  // namespace tarn
