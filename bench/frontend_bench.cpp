// The desktop front end's speed targets: opening a project directory of
// 1,000 logfiles fills the files list (at most 1 s), and selecting a file
// fills the Revision and Module tabs of a 1,000-revision logfile (at most
// 100 ms). Runs on Qt's offscreen platform; the logfiles are written by the
// tests' logfile builder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "engine/support/message_catalogue.h"
#include "frontend/main_window.h"
#include "frontend/module_page.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/revision_page.h"
#include "frontend/workspace.h"
#include "engine/store/disk_names.h"
#include "tests/support/logfile_builder.h"

namespace tarn::dorn {
namespace {

constexpr int kFiles = 1000;
constexpr int kRevisions = 1000;

tEnvVar Settings(const QString& root) {
  tEnvVar settings;
  settings.TARNPath((root + QStringLiteral("/tarn")).toUtf8().constData());
  settings.UserName("ann");
  settings.LockfileRetryCount(1);
  return settings;
}

// A project of `kFiles` logfiles, each with two revisions and a lock.
void WriteProject(const QString& root) {
  QDir().mkpath(root + QStringLiteral("/tarn"));
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "file" + std::to_string(i) + ".c";
    testing::LogfileBuilder builder;
    builder.Access("ann,bob").Modifiers("ann,bob").Owner("ann").Trunk(1, 1).LockCount(i % 3 == 0);
    builder.SupplementalInfo((root + QStringLiteral("/")).toStdString() + name, i % 2,
                             1700000000 + i, 100 + i);
    builder.AddRevision({.major = 1, .minor = 1, .tip = 1, .putDate = 1700000000,
                         .description = "second", .data = "text\n"});
    builder.AddRevision({.major = 1, .minor = 0, .putDate = 1690000000,
                         .description = "first", .data = ""});
    builder.WriteTo(root.toStdString() + "/tarn/" + LogfileNameOf(name));
  }
}

// One logfile of `kRevisions` trunk revisions with labels.
void WriteLongHistory(const QString& root) {
  QDir().mkpath(root + QStringLiteral("/tarn"));
  testing::LogfileBuilder builder;
  builder.Access("ann,bob").Modifiers("ann,bob").Owner("ann").Trunk(1, kRevisions - 1);
  builder.SupplementalInfo((root + QStringLiteral("/long.c")).toStdString(), 0, 1700000000, 4000);
  for (int label = 0; label < 50; ++label) {
    builder.AddLabel({{1, static_cast<std::int16_t>(label * 20)}}, "release " + std::to_string(label), 0);
  }
  for (int minor = kRevisions - 1; minor >= 0; --minor) {
    builder.AddRevision({.major = 1, .minor = static_cast<std::int16_t>(minor),
                         .tip = static_cast<std::uint8_t>(minor == kRevisions - 1),
                         .putDate = static_cast<std::uint32_t>(1600000000 + minor * 60),
                         .editDate = static_cast<std::uint32_t>(1600000000 + minor * 60),
                         .creatorIndex = static_cast<std::int16_t>(minor % 2),
                         .description = "Change number " + std::to_string(minor) +
                                        "\nwith a second line of description",
                         .data = std::string(40, 'x')});
  }
  builder.WriteTo(root.toStdString() + "/tarn/" + LogfileNameOf("long.c"));
}

void BM_FillProjectFilesList(benchmark::State& state) {
  QTemporaryDir scratch;
  WriteProject(scratch.path());
  Workspace workspace(Settings(scratch.path()), scratch.filePath(QStringLiteral("config")).toStdString());
  MainWindow window(workspace, nullptr);
  window.show();
  for (auto _ : state) {
    window.Reload(scratch.path());
    benchmark::DoNotOptimize(window.FilesModel()->rowCount());
  }
  if (window.FilesModel()->rowCount() != kFiles) state.SkipWithError("not every logfile listed");
  state.counters["files"] = window.FilesModel()->rowCount();
}
BENCHMARK(BM_FillProjectFilesList)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SelectFileFillsRevisionAndModuleTabs(benchmark::State& state) {
  QTemporaryDir scratch;
  WriteLongHistory(scratch.path());
  Workspace workspace(Settings(scratch.path()), scratch.filePath(QStringLiteral("config")).toStdString());
  MainWindow window(workspace, nullptr);
  window.show();
  window.Reload(scratch.path());
  for (auto _ : state) {
    window.FilesView()->clearSelection();
    window.FilesView()->SelectName("long.c");
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.RevisionTab()->Entries().size());
  }
  if (window.RevisionTab()->Entries().size() != kRevisions) {
    state.SkipWithError("the revision list is not whole");
  }
  state.counters["revisions"] = static_cast<double>(window.RevisionTab()->Entries().size());
}
BENCHMARK(BM_SelectFileFillsRevisionAndModuleTabs)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace tarn::dorn

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (tarn::LoadMessageFile("frontend_bench", tarn::kCatalogueFileName,
                            TARN_SOURCE_DIR "/catalogue") != 1) {
    return 1;
  }
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
