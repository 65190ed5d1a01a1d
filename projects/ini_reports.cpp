#include "projects/ini_reports.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "engine/support/report.h"
#include "platform/file_status.h"
#include "platform/paths.h"

namespace tarn {

std::string IniProblemText(const IniProblem& problem) {
  const std::string_view file = problem.fileName;
  const int line = static_cast<int>(problem.line);
  switch (problem.kind) {
    case IniProblem::Kind::kUnreadable:
      return FormatMessage(msg::kIniUnreadable, file,
                           std::string_view(std::strerror(problem.error)));
    case IniProblem::Kind::kNotRegularFile:
      return FormatMessage(msg::kIniNotRegular, file);
    case IniProblem::Kind::kTooLarge:
      return FormatMessage(msg::kIniTooLarge, file, static_cast<int>(tIniFile::kMaxFileSize));
    case IniProblem::Kind::kLineTooLong:
      return FormatMessage(msg::kIniLineTooLong, file, line,
                           static_cast<int>(tIniFile::kMaxLineLength));
    case IniProblem::Kind::kBinaryBytes:
      return FormatMessage(msg::kIniBinaryBytes, file, line);
  }
  return {};
}

std::string IniWriteText(IniWrite result, tIniFile& ini, std::string_view name) {
  const std::string& path = ini.TargetFileName();
  const std::string_view error = std::strerror(errno);
  switch (result) {
    case IniWrite::kWritten:
      return {};
    case IniWrite::kLockBusy:
      return FormatMessage(msg::kIniFileBusy, path);
    case IniWrite::kWriteFailed:
      return FormatMessage(msg::kIniWriteFailed, path, error);
    case IniWrite::kBadText:
      return FormatMessage(msg::kIniBadName, name);
    case IniWrite::kUnreadable: {
      const std::optional<IniProblem> problem = ini.Problem();
      return problem ? IniProblemText(*problem) : FormatMessage(msg::kIniWriteFailed, path, error);
    }
    case IniWrite::kReadOnly:
      return FormatMessage(msg::kIniReadOnly, path);
    case IniWrite::kDirectoryNotWritable: {
      const std::string directory = platform::DirectoryPart(path);
      return FormatMessage(msg::kIniDirectoryNotWritable,
                           directory.empty() ? std::string(".") : directory, path);
    }
    case IniWrite::kGroupRefused: {
      const std::optional<platform::FileOwnership> old = platform::OwnershipOf(path);
      return FormatMessage(msg::kIniGroupRefused, path,
                           old ? std::to_string(old->group) : std::string("?"));
    }
  }
  return {};
}

void ReportIniProblem(const IniProblem& problem) {
  CurrentHost().ReportMessage(IniProblemText(problem), kAlert);
}

bool ReportIniWrite(IniWrite result, tIniFile& ini, std::string_view name) {
  if (result == IniWrite::kWritten) return true;
  CurrentHost().ReportMessage(IniWriteText(result, ini, name), kAlert);
  return false;
}

bool IniFilesUsable(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    tIniFile ini(path);
    if (const std::optional<IniProblem> problem = ini.Problem()) {
      ReportIniProblem(*problem);
      return false;
    }
  }
  return true;
}

}  // namespace tarn
