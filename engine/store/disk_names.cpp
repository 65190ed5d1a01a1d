#include "engine/store/disk_names.h"

#include <cstdio>

#include "engine/support/report.h"
#include "platform/paths.h"

namespace tarn {
namespace {

// Characters that keep their value in both directions; '?' and '*' among
// them keep a pattern a pattern.
bool IsKeptCharacter(char c) {
  switch (c) {
    case '!':
    case '\'':
    case '*':
    case '-':
    case '?':
    case '^':
    case '_':
    case '{':
    case '~':
      return true;
    default:
      return false;
  }
}

char Successor(char c) {
  if (IsKeptCharacter(c)) return c;
  if (c == '9') return '0';
  if (c == 'Z') return 'A';
  if (c == 'z') return 'a';
  // The byte 0xFF would become NUL and end the name; it stays as it is.
  if (static_cast<unsigned char>(c) == 0xFF) return c;
  return static_cast<char>(static_cast<unsigned char>(c) + 1);
}

char Predecessor(char c) {
  if (IsKeptCharacter(c)) return c;
  if (c == '0') return '9';
  if (c == 'A') return 'Z';
  if (c == 'a') return 'z';
  // Mirror of Successor: bytes it never produces keep their value.
  if (static_cast<unsigned char>(c) <= 0x01 || static_cast<unsigned char>(c) == 0xFF) return c;
  return static_cast<char>(static_cast<unsigned char>(c) - 1);
}

constexpr std::string_view kNoExtension = "___";

// The position of the last '.' of the final component, if any. A '.' in a
// directory name is not an extension: converting past it would turn the
// separator into another character.
std::size_t ExtensionDot(std::string_view name) {
  const std::size_t separator = name.rfind(platform::kPathSeparator);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return dot;
  if (separator != std::string_view::npos && dot < separator) return std::string_view::npos;
  return dot;
}

// The final component's first character, where a name derived from a
// logfile's changes.
std::size_t FinalComponentStart(std::string_view path) {
  const std::size_t separator = path.rfind(platform::kPathSeparator);
  return separator == std::string_view::npos ? 0 : separator + 1;
}

std::string FourDigits(unsigned number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04u", number % kNumberedNameCount);
  return digits;
}

std::string SixteenHexDigits(std::uint64_t number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(number));
  return digits;
}

}  // namespace

std::string LogfileNameOf(std::string_view workfileName) {
  std::string name(workfileName);
  const std::size_t dot = ExtensionDot(name);
  if (dot == std::string::npos) return name + "." + std::string(kNoExtension);
  if (dot + 1 == name.size()) return name + std::string(kNoExtension);
  for (std::size_t i = dot + 1; i < name.size(); ++i) name[i] = Successor(name[i]);
  return name;
}

std::string WorkfileNameOf(std::string_view logfileName) {
  std::string name(logfileName);
  const std::size_t dot = ExtensionDot(name);
  if (dot == std::string::npos) return name;
  if (std::string_view(name).substr(dot + 1) == kNoExtension) return name.substr(0, dot + 1);
  for (std::size_t i = dot + 1; i < name.size(); ++i) name[i] = Predecessor(name[i]);
  return name;
}

std::string LogfilePathOf(std::string_view workfileName, std::string_view logfileDirectory) {
  const std::string workfileDirectory = platform::DirectoryPart(workfileName);
  std::string path;
  if (logfileDirectory.empty()) {
    path = workfileDirectory.empty() ? std::string("./") : workfileDirectory;
  } else {
    if (!platform::IsAbsolutePath(logfileDirectory)) path = workfileDirectory;
    path += platform::WithTrailingSeparator(logfileDirectory);
  }
  path += LogfileNameOf(platform::FinalComponent(workfileName));
  return path;
}

std::optional<std::string> LogfileNameFromWorkfile(std::string_view workfileName,
                                                   std::string_view logfileDirectory) {
  std::string path = LogfilePathOf(workfileName, logfileDirectory);
  if (path.size() > platform::kMaxPathLength) {
    Report(kAlert, msg::kPathTooLong, path, static_cast<int>(platform::kMaxPathLength));
    return std::nullopt;
  }
  return path;
}

std::string LogfileDirectoryOf(std::string_view workfileName, std::string_view logfileDirectory) {
  std::string directory = platform::DirectoryPart(LogfilePathOf(workfileName, logfileDirectory));
  if (directory.size() > 1) directory.pop_back();
  return directory;
}

std::string LockFileName(std::string_view logfilePath) {
  std::string path(logfilePath);
  const std::size_t first = FinalComponentStart(path);
  if (first < path.size()) {
    path[first] = '$';
  } else {
    path += '$';
  }
  return path;
}

std::string JournalLockFileName(std::string_view journalPath) {
  return std::string(journalPath) + ".lock";
}

std::string LocalJournalPath(std::string_view journalDirectory, std::string_view journalName) {
  std::string path(journalDirectory);
  if (!path.empty() && path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
  return path.append(journalName);
}

std::string LockTag(std::string_view token) {
  return std::string(token.substr(0, token.size() < kLockTagLength ? token.size() : kLockTagLength));
}

std::string ReplacementFileName(std::string_view logfilePath, std::string_view token) {
  std::string name(logfilePath);
  const std::size_t first = FinalComponentStart(name);
  if (first < name.size()) name[first] = '!';
  name += '+';
  return name + LockTag(token);
}

std::string BackupFileName(std::string_view logfilePath, BackupName style, std::string_view token) {
  std::string name(logfilePath);
  const std::size_t first = FinalComponentStart(name);
  if (style == BackupName::kUnderscoreInFront) {
    name.insert(first, 1, '_');
  } else if (first < name.size()) {
    name[first] = '!';
  }
  name += '@';
  return name + LockTag(token);
}

std::string WorkfileReplacementName(std::string_view workfile, std::uint64_t unique) {
  return platform::DirectoryPart(workfile) + ".tarn-new-" + SixteenHexDigits(unique);
}

std::string TemporaryFileName(std::string_view directory, unsigned number) {
  return std::string(directory) + "TARN" + FourDigits(number);
}

std::string UniqueTemporaryFileName(std::string_view directory, std::uint64_t unique) {
  return std::string(directory) + "TARN" + SixteenHexDigits(unique);
}

DiskNames DiskNamesOfLogfile(std::string_view logfilePath) {
  DiskNames names;
  names.logfile = logfilePath;
  names.lockFile = LockFileName(logfilePath);
  names.replacement = ReplacementFileName(logfilePath);
  names.backup = BackupFileName(logfilePath, BackupName::kFirstCharacterReplaced);
  names.removalBackup = BackupFileName(logfilePath, BackupName::kUnderscoreInFront);
  return names;
}

std::optional<DiskNames> DiskNamesOf(std::string_view workfileName,
                                     std::string_view logfileDirectory) {
  const std::optional<std::string> logfile = LogfileNameFromWorkfile(workfileName, logfileDirectory);
  if (!logfile) return std::nullopt;
  return DiskNamesOfLogfile(*logfile);
}

}  // namespace tarn
