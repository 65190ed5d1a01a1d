// The object interface reading for display: a project directory of 1,000
// logfiles (20 revisions and 3 labels each) listed with every header read
// (FindFirstLogfile/FindNextLogfile), and CaptureRevisionInfo of one logfile
// of 1,000 revisions.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_header.h"
#include "engine/support/message_catalogue.h"
#include "objects/log_file.h"
#include "objects/prj_dir.h"
#include "platform/file.h"

namespace tarn::bench {
namespace {

constexpr int kLogfiles = 1000;
constexpr int kRevisionsPerLogfile = 20;
constexpr int kLongHistory = 1000;

// A whole logfile of `revisions` trunk revisions written through the
// engine's encoders: a header with three labels, then records newest first
// with a description and 200 bytes of stored data each.
ByteBuffer LogfileBytes(int revisions) {
  LogfileHeader header;
  header.fixed._iMajorNumber = 1;
  header.fixed._iMinorNumber = static_cast<std::int16_t>(revisions - 1);
  header.fixed._iRevisionCount = static_cast<std::int16_t>(revisions);
  header.fixed._iAttributes = kAttrCheckLock | kAttrCompression | kAttrJournalFile;
  header.accessList = "alice,bob,carol";
  header.modifierList = "alice,bob,carol";
  header.commentPrefix = " * ";
  header.owner = "alice";
  header.description = "a module of the benchmark project";
  header.supplementalInfo.assign(kSupplementalInfoSize, 0);
  for (int i = 0; i < 3; ++i) {
    LabelRecord label;
    label.iRevisionCount = 1;
    label.iCreator = static_cast<std::int16_t>(i);
    label.elements[0] = {1, static_cast<std::int16_t>(i)};
    label.text = "RELEASE_" + std::to_string(i);
    header.labels.push_back(label);
  }
  PrepareLogfileHeader(header);
  ByteBuffer bytes = EncodeLogfileHeader(header);
  for (int r = revisions - 1; r >= 0; --r) {
    const std::string description = "revision " + std::to_string(r) + " of the module";
    const std::string data(200, static_cast<char>('a' + r % 26));
    tRevHdr record;
    record.major = 1;
    record.minor = static_cast<std::int16_t>(r);
    record._cTip = r == revisions - 1 ? 1 : 0;
    record.FilePutDate = 1700000000u + static_cast<std::uint32_t>(r);
    record.RevSize = static_cast<std::uint32_t>(data.size());
    record._iDescSize = static_cast<std::int16_t>(description.size() + 1);
    const auto head = EncodeRevisionHeader(record);
    bytes.insert(bytes.end(), head.begin(), head.end());
    bytes.insert(bytes.end(), description.begin(), description.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), data.begin(), data.end());
  }
  return bytes;
}

void WriteFile(const std::filesystem::path& path, const ByteBuffer& bytes) {
  std::optional<platform::File> file =
      platform::File::Open(path.string(), platform::OpenMode::kWriteTruncate);
  if (!file || !file->WriteAll(bytes)) std::abort();
}

// The project: <temp>/tarn-project-bench/TARN/module<N>.d, and the long
// history as history.d. The benchmarks run in the project directory.
class Project {
 public:
  Project() : root_(std::filesystem::temp_directory_path() / "tarn-project-bench") {
    LoadMessageFile("bench", "tarnMsgF", TARN_SOURCE_DIR "/catalogue");
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "TARN");
    const ByteBuffer module = LogfileBytes(kRevisionsPerLogfile);
    for (int i = 0; i < kLogfiles; ++i) {
      WriteFile(root_ / "TARN" / ("module" + std::to_string(i) + ".d"), module);
    }
    std::filesystem::create_directories(root_ / "long" / "TARN");
    WriteFile(root_ / "long" / "TARN" / "history.d", LogfileBytes(kLongHistory));
    std::filesystem::current_path(root_);
    settings_.TARNPath("TARN/");
    settings_.WorkfilePath(root_.string().c_str());
  }
  ~Project() {
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(root_);
  }

  tEnvVar& settings() { return settings_; }

 private:
  std::filesystem::path root_;
  tEnvVar settings_;
};

Project& TheProject() {
  static Project project;
  return project;
}

void BM_ListProjectWithHeaders(benchmark::State& state) {
  tPrjDir project(&TheProject().settings());
  for (auto _ : state) {
    int listed = 0;
    int labels = 0;
    for (const char* name = project.FindFirstLogfile("*.*"); *name != '\0';
         name = project.FindNextLogfile()) {
      ++listed;
      labels += project.HeaderInfo()->VersionCount();
    }
    if (listed != kLogfiles || labels != 3 * kLogfiles) state.SkipWithError("wrong listing");
  }
  state.counters["logfiles"] = kLogfiles;
}
BENCHMARK(BM_ListProjectWithHeaders)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CaptureRevisionInfo(benchmark::State& state) {
  tLogFile logfile("long/history.c", &TheProject().settings());
  if (logfile.Open() != ttTRUE || logfile.ReadHdr() != ttTRUE) {
    state.SkipWithError("cannot open the long history");
    return;
  }
  for (auto _ : state) {
    if (logfile.CaptureRevisionInfo() != ttTRUE || logfile.RevisionInfoCount() != kLongHistory) {
      state.SkipWithError("capture failed");
      break;
    }
  }
  logfile.Close();
}
BENCHMARK(BM_CaptureRevisionInfo)->Unit(benchmark::kMillisecond);

// The same with opening, reading the header and closing, as a history view
// does it.
void BM_OpenReadAndCaptureHistory(benchmark::State& state) {
  for (auto _ : state) {
    tLogFile logfile("long/history.c", &TheProject().settings());
    if (logfile.Open() != ttTRUE || logfile.ReadHdr() != ttTRUE ||
        logfile.CaptureRevisionInfo() != ttTRUE) {
      state.SkipWithError("cannot read the long history");
      break;
    }
    logfile.Close();
  }
}
BENCHMARK(BM_OpenReadAndCaptureHistory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
