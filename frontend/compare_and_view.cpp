#include "frontend/compare_and_view.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>
#include <functional>
#include <optional>

#include "engine/text/keyword_expansion.h"
#include "frontend/compare_and_view_commands.h"
#include "frontend/compare_window.h"
#include "frontend/external_program.h"
#include "frontend/front_text.h"
#include "frontend/main_window.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/revision_page.h"
#include "frontend/revision_viewer.h"
#include "frontend/temporary_revision.h"
#include "projects/ini_file.h"

namespace tarn::dorn {
namespace {

void Warn(const LookContext& context, const QString& text) {
  QMessageBox::warning(context.dialogParent, QApplication::applicationName(), text);
}

// A program of the tools section; nothing when the key is missing or blank.
std::optional<std::string> ConfiguredTool(const Workspace& workspace, const MessageId& key) {
  tIniFile ini(workspace.SystemIniFile());
  std::optional<std::string> value =
      ini.GetValue(MessageText(msg::kIniToolsSection.number), MessageText(key.number));
  if (!value || QString::fromStdString(*value).trimmed().isEmpty()) return std::nullopt;
  return value;
}

// Starts a configured program and waits for it; says so when it cannot
// start.
void RunConfiguredProgram(const LookContext& context, const std::vector<std::string>& words) {
  const ProgramRun run = RunAndWait(words);
  if (!run.started)
    Warn(context, FrontText(msg::kProgramNotStarted, words.front(), run.reason.toStdString()));
}

std::optional<QByteArray> ReadWhole(const LookContext& context, const std::string& path) {
  QFile file(Qs(path));
  if (!file.open(QIODevice::ReadOnly)) {
    Warn(context, FrontText(msg::kFileUnreadable, path, file.errorString().toStdString()));
    return std::nullopt;
  }
  return file.readAll();
}

// Runs the get of `revision` into a fresh temporary file with the windows
// disabled, hands the file to `look`, and removes it again, whatever
// `look` did.
void LookAtRevision(const LookContext& context, const std::string& name,
                    const std::string& revision, const std::string& extension,
                    const std::string& displayName,
                    const std::function<void(const std::string& file)>& look) {
  std::optional<TemporaryRevision> temporary =
      TemporaryRevision::Reserve(context.workspace->Settings(), extension);
  if (!temporary) {
    Warn(context, CatalogueText(msg::kTempFileFailed));
    return;
  }
  const std::string command = RevisionIntoFileCommand(temporary->Path(), revision);
  bool fetched = false;
  {
    QWidget* window = context.dialogParent ? context.dialogParent->window() : nullptr;
    QWidget* owner = context.windowOwner;
    if (owner) owner->setEnabled(false);
    if (window) window->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ScopedWorkfileDisplayName keywordsFor(displayName);
    fetched = context.workspace->Run(Operation::kGet, name, command);
    QApplication::restoreOverrideCursor();
    if (window) window->setEnabled(true);
    if (owner) owner->setEnabled(true);
  }
  if (!fetched) {
    Warn(context, FrontText(msg::kRevisionIntoTempFailed, revision, temporary->Path()));
    return;
  }
  look(temporary->Path());
  if (!temporary->Remove()) Warn(context, CatalogueText(msg::kTempFileNotWritable));
}

void OpenOwnCompareWindow(const LookContext& context, const std::string& name,
                          const std::string& revision, const std::string& revisionFile,
                          const std::string& workfile) {
  const std::optional<QByteArray> first = ReadWhole(context, revisionFile);
  if (!first) return;
  const std::optional<QByteArray> second = ReadWhole(context, workfile);
  if (!second) return;
  std::optional<CompareLayout> layout = LayOutComparison(*first, *second);
  if (!layout) return;  // the engine has said why
  auto* window =
      new CompareWindow(std::move(*layout), FrontText(msg::kCompareTitle, name),
                        FrontText(msg::kCompareRevisionHeading, revision, name),
                        FrontText(msg::kCompareWorkfileHeading, workfile), context.windowOwner);
  window->show();
}

// The name the logfile keeps for its workfile; the workfile's own name when
// the list knows none.
std::string KeptWorkfileName(MainWindow& window, const std::string& name) {
  for (const ProjectFile& file : window.FilesModel()->Entries()) {
    if (file.name == name && !file.workfileIn.empty()) return file.workfileIn;
  }
  return window.CurrentWorkspace().WorkfileFullName(name);
}

FileDialogContext DialogContext(MainWindow& window, const std::string& name) {
  FileDialogContext context;
  context.workspace = &window.CurrentWorkspace();
  context.fileName = name;
  context.revisionEntries = window.RevisionTab()->Entries();
  context.revisionRow = window.RevisionTab()->SelectedRow();
  if (const LogfileDetails* details = window.SelectedDetails()) context.labels = details->labels;
  context.remembered = &window.Remembered();
  context.showStatus = [&window](const QString& text) { window.ShowStatus(text); };
  return context;
}

void ViewFromWindow(MainWindow& window, const std::string& name, const std::string& revision) {
  const LookContext context{&window.CurrentWorkspace(), &window, &window};
  ViewRevision(context, name, revision, KeptWorkfileName(window, name));
}

}  // namespace

void CompareWithWorkfile(const LookContext& context, const std::string& name,
                         const std::string& revision) {
  const std::string workfile = context.workspace->WorkfileFullName(name);
  LookAtRevision(context, name, revision, "", workfile, [&](const std::string& file) {
    const std::optional<std::string> command =
        ConfiguredTool(*context.workspace, msg::kIniCompareCommand);
    if (!command) {
      OpenOwnCompareWindow(context, name, revision, file, workfile);
    } else if (!IsValidCompareCommand(*command)) {
      Warn(context, FrontText(msg::kInvalidCompareCommand, *command));
    } else {
      RunConfiguredProgram(context, CompareProgramWords(*command, file, workfile));
    }
  });
}

void ViewRevision(const LookContext& context, const std::string& name, const std::string& revision,
                  const std::string& displayName) {
  const std::string extension = ViewedExtension(QFileInfo(Qs(name)).fileName().toStdString());
  LookAtRevision(context, name, revision, extension, displayName, [&](const std::string& file) {
    if (const std::optional<std::string> viewer =
            ConfiguredTool(*context.workspace, msg::kIniViewer)) {
      RunConfiguredProgram(context, ViewerWords(*viewer, file));
      return;
    }
    if (const std::optional<QByteArray> text = ReadWhole(context, file)) {
      auto* viewer = new RevisionViewer(*text, FrontText(msg::kViewerTitle, revision, name),
                                        context.windowOwner);
      viewer->show();
    }
  });
}

CompareDialog::CompareDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context, tr("Compare..."), parent) {
  AddRevisionList(tr("You've elected to compare revision:"));
  AddArchiveField(tr("From the archive file:"));
  workfileField_ = new QLineEdit(Qs(context.workspace->WorkfileFullName(context.fileName)), this);
  workfileField_->setReadOnly(true);
  workfileField_->setObjectName(QStringLiteral("workfile"));
  Body()->addWidget(new QLabel(tr("With the work file:"), this));
  Body()->addWidget(workfileField_);
  AddButtons();
}

std::string CompareDialog::Command() { return ""; }

void CompareDialog::accept() {
  QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  const LookContext context{Context().workspace, this, owner};
  CompareWithWorkfile(context, Context().fileName, ChosenRevision());
  QDialog::accept();
}

std::unique_ptr<CompareDialog> MakeCompareDialog(MainWindow& window, const std::string& name) {
  return std::make_unique<CompareDialog>(DialogContext(window, name), &window);
}

void InstallCompareAndView(MainWindow& window) {
  window.SetCommandHandler(CommandId::kCompare, [&window](const std::vector<std::string>& files) {
    if (files.size() == 1) MakeCompareDialog(window, files.front())->exec();
  });
  window.SetCommandHandler(CommandId::kView, [&window](const std::vector<std::string>& files) {
    if (files.size() == 1)
      ViewFromWindow(window, files.front(), MessageText(msg::kWordTrunkTip.number));
  });
  // A double click views the entry's revision: its text after the first
  // blank ("Revision 1.3" gives "1.3").
  QObject::connect(window.RevisionTab()->List(), &QListWidget::itemDoubleClicked, &window,
                   [&window](QListWidgetItem* item) {
                     const std::vector<std::string> names = window.FilesView()->SelectedNames();
                     if (names.size() != 1 || !item) return;
                     const QString text = item->text();
                     const qsizetype blank = text.indexOf(QLatin1Char(' '));
                     ViewFromWindow(window, names.front(),
                                    blank < 0 ? std::string() : text.mid(blank + 1).toStdString());
                   });
}

}  // namespace tarn::dorn
