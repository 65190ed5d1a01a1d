#include "frontend/project_operations.h"

#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>

#include "frontend/add_dialog.h"
#include "frontend/check_in_dialog.h"
#include "frontend/check_out_dialog.h"
#include "frontend/files_page.h"
#include "frontend/front_text.h"
#include "frontend/get_dialog.h"
#include "frontend/label_dialog.h"
#include "frontend/lock_dialog.h"
#include "frontend/main_window.h"
#include "frontend/project_files_view.h"
#include "frontend/remove_label_dialog.h"
#include "frontend/unlock_dialog.h"

namespace tarn::dorn {
namespace {

// Which operation each menu command opens over many files.
const struct {
  CommandId command;
  MultiFileOperation operation;
} kCommands[] = {
    {CommandId::kProjectGet, MultiFileOperation::kGet},
    {CommandId::kProjectCheckIn, MultiFileOperation::kCheckIn},
    {CommandId::kProjectCheckOut, MultiFileOperation::kCheckOut},
    {CommandId::kProjectLock, MultiFileOperation::kLock},
    {CommandId::kProjectUnlock, MultiFileOperation::kUnlock},
    {CommandId::kProjectLabel, MultiFileOperation::kLabel},
    {CommandId::kProjectRemoveLabel, MultiFileOperation::kRemoveLabel},
    {CommandId::kGet, MultiFileOperation::kGet},
    {CommandId::kCheckOut, MultiFileOperation::kCheckOut},
    {CommandId::kCheckIn, MultiFileOperation::kCheckIn},
    {CommandId::kLock, MultiFileOperation::kLock},
    {CommandId::kUnlock, MultiFileOperation::kUnlock},
    {CommandId::kLabel, MultiFileOperation::kLabel},
    {CommandId::kRemoveLabel, MultiFileOperation::kRemoveLabel},
};

// "Working... file k of n" in a progress bar at the status bar's right end,
// shown only while a run goes on.
void AddFileProgressDisplay(MainWindow& window) {
  auto* bar = new QProgressBar(&window);
  bar->setObjectName(QStringLiteral("fileProgress"));
  bar->setTextVisible(true);
  // Wide enough for "file 8888 of 8888", no wider: the status text keeps
  // the rest.
  bar->setFixedWidth(bar->fontMetrics().horizontalAdvance(FrontText(msg::kWorkingOnFile, 8888, 8888)) + 48);
  bar->hide();
  window.statusBar()->addPermanentWidget(bar);
  QPointer<QProgressBar> shown(bar);
  window.EngineHost().SetFileProgressDisplay([shown](int done, int total) {
    if (!shown) return;
    if (total <= 0) {
      shown->hide();
      return;
    }
    shown->setRange(0, total);
    shown->setValue(done);
    shown->setFormat(FrontText(msg::kWorkingOnFile, done, total));
    shown->show();
  });
}

}  // namespace

std::unique_ptr<FileOperationDialog> MakeMultiFileDialog(MainWindow& window,
                                                         MultiFileOperation operation,
                                                         const std::vector<std::string>& files) {
  FileDialogContext context;
  context.workspace = &window.CurrentWorkspace();
  context.fileName = files.front();
  context.remembered = &window.Remembered();
  context.showStatus = [&window](const QString& text) { window.ShowStatus(text); };
  context.files = files;
  context.host = &window.EngineHost();
  context.refreshEntry = [&window](const std::string& name) { window.RefreshEntry(name); };
  context.addedToProject = [&window](const std::string& name) {
    window.FilesTab()->MoveToProject(Qs(name));
    window.RefreshEntry(name);
  };
  switch (operation) {
    case MultiFileOperation::kGet:
      return std::make_unique<GetDialog>(context, &window);
    case MultiFileOperation::kCheckOut:
      return std::make_unique<CheckOutDialog>(context, &window);
    case MultiFileOperation::kCheckIn:
      return std::make_unique<CheckInDialog>(context, &window);
    case MultiFileOperation::kAdd:
      return std::make_unique<AddDialog>(context, &window);
    case MultiFileOperation::kLock:
      return std::make_unique<LockDialog>(context, &window);
    case MultiFileOperation::kUnlock:
      return std::make_unique<UnlockDialog>(context, &window);
    case MultiFileOperation::kLabel:
      return std::make_unique<LabelDialog>(context, &window);
    case MultiFileOperation::kRemoveLabel:
      return std::make_unique<RemoveLabelDialog>(context, &window);
  }
  return nullptr;
}

void RunMultiFileOperation(MainWindow& window, MultiFileOperation operation,
                           const std::vector<std::string>& files) {
  // The windows are disabled while a run goes on; this holds also for a
  // command that reaches here some other way.
  if (files.empty() || window.EngineHost().RunBusy()) return;
  if (std::unique_ptr<FileOperationDialog> dialog = MakeMultiFileDialog(window, operation, files)) {
    dialog->exec();
  }
  window.FilesView()->clearSelection();
}

void InstallProjectOperations(MainWindow& window) {
  AddFileProgressDisplay(window);
  for (const auto& entry : kCommands) {
    const MultiFileOperation operation = entry.operation;
    window.SetCommandHandler(entry.command, [&window, operation](const std::vector<std::string>& files) {
      RunMultiFileOperation(window, operation, files);
    });
  }
  window.SetAddHandler([&window](const std::vector<std::string>& files) {
    RunMultiFileOperation(window, MultiFileOperation::kAdd, files);
  });
}

}  // namespace tarn::dorn
