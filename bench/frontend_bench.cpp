// The desktop front end's speed targets: opening a project directory of
// 1,000 logfiles fills the files list (at most 1 s), selecting a file
// fills the Revision and Module tabs of a 1,000-revision logfile (at most
// 100 ms), and the compare window opens on a 10,000-line revision and a
// 10,000-line workfile (at most 0.5 s). Runs on Qt's offscreen platform; the logfiles are written by the
// tests' logfile builder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "engine/support/message_catalogue.h"
#include "frontend/command_strings.h"
#include "frontend/compare_and_view.h"
#include "frontend/compare_window.h"
#include "bench/qt_bench_main.h"
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
constexpr int kCompareLines = 10000;

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


// 10,000 lines of program-like text; every `step`-th line (from `first`)
// carries `mark`.
QByteArray LongText(int first, int step, const char* mark) {
  QByteArray text;
  for (int line = 0; line < kCompareLines; ++line) {
    text += "    value_" + QByteArray::number(line) + " = compute(value_" +
            QByteArray::number(line / 2) + ", " + QByteArray::number(line % 97) + ");";
    if (line % step == first) text += mark;
    text += "\n";
  }
  return text;
}

bool WriteText(const QString& path, const QByteArray& text) {
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// Revision 1.0 (stored as a reverse delta behind 1.1) against a workfile
// that differs from it in about 150 places: the get into the temporary
// file, the comparison, and the window drawn once.
void BM_CompareWindowOpensOnTwoLongTexts(benchmark::State& state) {
  QTemporaryDir scratch;
  const QString root = scratch.path();
  QDir().mkpath(root + QStringLiteral("/tarn"));
  QDir().mkpath(root + QStringLiteral("/tmp"));
  tEnvVar settings = Settings(root);
  settings.AccessList("ann");
  settings.TempFilePrefix((root + QStringLiteral("/tmp/")).toUtf8().constData());
  Workspace workspace(settings, (root + QStringLiteral("/config")).toStdString());
  workspace.Enter(root.toStdString());
  const std::string workfile = workspace.WorkfileFullName("long.c");
  AddChoices add;
  add.workfile = workfile;
  add.description = "first";
  GetChoices lock;
  lock.workfile = workfile;
  lock.writable = WritableChoice::kReplace;
  CheckInChoices checkIn;
  checkIn.workfile = workfile;
  checkIn.description = "second";
  const bool stored =
      WriteText(QString::fromStdString(workfile), LongText(0, 10000, "")) &&
      workspace.Run(Operation::kCheckIn, "long.c", AddCommand(add)) &&
      workspace.Run(Operation::kGet, "long.c", *CheckOutCommand(lock)) &&
      WriteText(QString::fromStdString(workfile), LongText(13, 200, " // changed")) &&
      workspace.Run(Operation::kCheckIn, "long.c", CheckInCommand(checkIn)) &&
      WriteText(QString::fromStdString(workfile), LongText(7, 100, " // edited"));
  if (!stored) {
    state.SkipWithError("the logfile could not be made");
    return;
  }
  MainWindow window(workspace, nullptr);
  window.Reload(root);
  window.show();
  const LookContext context{&workspace, &window, &window};
  std::size_t changes = 0;
  for (auto _ : state) {
    CompareWithWorkfile(context, "long.c", "1.0");
    QList<CompareWindow*> opened = window.findChildren<CompareWindow*>();
    if (opened.size() != 1) {
      state.SkipWithError("no compare window opened");
      return;
    }
    QApplication::processEvents();
    changes = opened.front()->Layout().changeStarts.size();
    state.PauseTiming();
    delete opened.front();
    state.ResumeTiming();
  }
  state.counters["changes"] = static_cast<double>(changes);
}
BENCHMARK(BM_CompareWindowOpensOnTwoLongTexts)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace tarn::dorn

int main(int argc, char** argv) { return tarn::dorn::RunQtBenchmarks("frontend_bench", argc, argv); }
