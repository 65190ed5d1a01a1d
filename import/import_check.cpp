#include "import/import_check.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/format/logfile_header_io.h"
#include "engine/store/disk_names.h"
#include "engine/store/revision_rebuild.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "import/number_mapping.h"
#include "import/rcs_import.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace tarn::rcs {

namespace {

// The first byte at which the two texts differ (the shorter one's length
// when one is the start of the other); none when they are equal.
std::optional<std::size_t> FirstDifference(std::string_view a, std::string_view b) {
  const auto [in_a, in_b] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (in_a == a.end() && in_b == b.end()) return std::nullopt;
  return static_cast<std::size_t>(in_a - a.begin());
}

class ImportCheck {
 public:
  ImportCheck(const std::string& path, const History& history, platform::File& logfile,
              std::int64_t first_record)
      : path_(path), history_(history), logfile_(logfile), first_record_(first_record) {}

  bool AllAgree() {
    for (const HistoryRevision& revision : history_.revisions) {
      if (!Agrees(FormatNumber(revision.number), revision.number)) return false;
    }
    Report(kStatus, msg::kImportCheckAgrees, std::string_view(path_),
           static_cast<int>(history_.revisions.size()));
    return true;
  }

 private:
  bool Agrees(const std::string& number, const Number& fields) {
    const std::string mode = history_.expand == "b" ? "-kb" : "-ko";
    const std::array<std::string, 6> co = {"co", "-q", "-p", mode, "-r" + number, path_};
    std::string expected;
    const int status = platform::RunProgramForOutput(co, expected);
    if (status != 0) {
      Report(kAlert, msg::kImportCheckCoFailed, std::string_view(path_), number, status);
      return false;
    }
    ByteBuffer text;
    const std::optional<tarnCommandRevDesc> wanted = RevisionDescriptor(fields);
    if (!wanted || RebuildRevisionText(logfile_, first_record_, *wanted, text) != 1) {
      Report(kAlert, msg::kImportCheckMissing, std::string_view(path_), number);
      return false;
    }
    const std::string_view got(reinterpret_cast<const char*>(text.data()), text.size());
    if (const std::optional<std::size_t> at = FirstDifference(expected, got)) {
      Report(kAlert, msg::kImportCheckDiffers, std::string_view(path_), number,
             static_cast<long long>(*at));
      return false;
    }
    return true;
  }

  const std::string& path_;
  const History& history_;
  platform::File& logfile_;
  std::int64_t first_record_;
};

}  // namespace

int CheckImport(const std::string& path, const tarnEnvironVars& settings) {
  std::optional<History> history = ReadHistory(path);
  if (!history) return -1;
  const std::string workfile = WorkfileOfRcsFile(path);
  std::optional<std::string> logfile_path =
      LogfileNameFromWorkfile(workfile, settings.logfileDirectory);
  if (!logfile_path) return -1;
  if (!platform::FileExists(*logfile_path)) {
    Report(kAlert, msg::kNoLogfileFor, std::string_view(path));
    return -1;
  }
  // Only read: no lock file, nothing written, and the logfile seen whole
  // as it was or as a writer's replacement left it.
  std::optional<platform::File> logfile = platform::File::OpenRegular(
      *logfile_path, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
  LogfileHeader header;
  if (!logfile || ReadLogfileHeader(*logfile, header) != 1) {
    Report(kAlert, msg::kLogfileUnreadable, std::string_view(*logfile_path));
    return -1;
  }
  const std::optional<std::int64_t> first_record = logfile->Tell();
  if (!first_record) return -1;
  return ImportCheck(path, *history, *logfile, *first_record).AllAgree() ? 1 : -1;
}

}  // namespace tarn::rcs
