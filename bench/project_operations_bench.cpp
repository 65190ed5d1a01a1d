// The desktop front end's project-wide label: 500 logfiles labelled from
// the Project menu's dialog (target: at most 10 s), and the longest time
// the window went without processing its events meanwhile (it must stay
// responsive). Runs on Qt's offscreen platform; the logfiles are written
// by the tests' logfile builder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "frontend/label_dialog.h"
#include "bench/qt_bench_main.h"
#include "frontend/main_window.h"
#include "frontend/project_files_model.h"
#include "frontend/project_operations.h"
#include "frontend/workspace.h"
#include "tests/support/logfile_builder.h"

namespace tarn::dorn {
namespace {

constexpr int kFiles = 500;

tEnvVar Settings(const QString& root) {
  tEnvVar settings;
  settings.TARNPath((root + QStringLiteral("/tarn")).toUtf8().constData());
  settings.JournalPath((root + QStringLiteral("/")).toUtf8().constData());
  settings.UserName("ann");
  settings.LockfileRetryCount(1);
  return settings;
}

// `kFiles` logfiles of two revisions, a few kilobytes each.
void WriteProject(const QString& root) {
  QDir().mkpath(root + QStringLiteral("/tarn"));
  const std::string text(3000, 'x');
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "file" + std::to_string(i) + ".c";
    testing::LogfileBuilder builder;
    builder.Access("ann,bob").Modifiers("ann,bob").Owner("ann").Trunk(1, 1);
    builder.SupplementalInfo((root + QStringLiteral("/")).toStdString() + name, 0,
                             static_cast<std::uint32_t>(1700000000 + i), 3000);
    builder.AddRevision({.major = 1, .minor = 1, .tip = 1, .putDate = 1700000000,
                         .description = "second", .data = text + "\n"});
    builder.AddRevision({.major = 1, .minor = 0, .putDate = 1690000000,
                         .description = "first", .data = ""});
    builder.WriteTo(root.toStdString() + "/tarn/" + LogfileNameOf(name));
  }
}

// Notes the longest time between two passes of the event loop: a timer of
// no interval fires on every pass.
class EventGaps {
 public:
  EventGaps() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, clock_.restart());
    });
    timer_.start(0);
    clock_.start();
  }
  ~EventGaps() { timer_.stop(); }
  // Up to now, the time since the last pass included.
  qint64 LongestMilliseconds() const { return std::max(longest_, clock_.elapsed()); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

void BM_LabelEveryFileOfTheProject(benchmark::State& state) {
  QTemporaryDir scratch;
  WriteProject(scratch.path());
  Workspace workspace(Settings(scratch.path()), scratch.filePath(QStringLiteral("config")).toStdString());
  MainWindow window(workspace, nullptr);
  window.show();
  window.Reload(scratch.path());
  std::vector<std::string> names;
  for (const ProjectFile& file : window.FilesModel()->Entries()) names.push_back(file.name);
  if (names.size() != kFiles) state.SkipWithError("not every logfile listed");
  qint64 longestGap = 0;
  int run = 0;
  for (auto _ : state) {
    const QString label = QStringLiteral("release %1").arg(++run);
    std::unique_ptr<FileOperationDialog> dialog =
        MakeMultiFileDialog(window, MultiFileOperation::kLabel, names);
    qobject_cast<LabelDialog*>(dialog.get())->LabelField()->setText(label);
    EventGaps gaps;
    dialog->accept();
    longestGap = std::max(longestGap, gaps.LongestMilliseconds());
    if (window.StatusText() != QStringLiteral("Added label '%1' to %2 logfiles").arg(label).arg(kFiles)) {
      state.SkipWithError(qPrintable(window.StatusText()));
      break;
    }
  }
  state.counters["files"] = static_cast<double>(names.size());
  state.counters["longest_event_gap_ms"] = static_cast<double>(longestGap);
}
BENCHMARK(BM_LabelEveryFileOfTheProject)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarn::dorn

int main(int argc, char** argv) { return tarn::dorn::RunQtBenchmarks("project_operations_bench", argc, argv); }
