#include "frontend/header_operations.h"

#include <memory>
#include <optional>

#include "frontend/access_list_dialog.h"
#include "frontend/attributes_dialog.h"
#include "frontend/main_window.h"
#include "frontend/module_author_dialog.h"
#include "frontend/module_description_dialog.h"
#include "frontend/project_files_view.h"

namespace tarn::dorn {

std::optional<HeaderDialogContext> HeaderContextFor(MainWindow& window,
                                                    const std::vector<std::string>& files) {
  if (files.empty()) return std::nullopt;
  HeaderDialogContext context;
  context.workspace = &window.CurrentWorkspace();
  context.files = files;
  context.showStatus = [&window](const QString& text) { window.ShowStatus(text); };
  context.host = &window.EngineHost();
  if (files.size() == 1) {
    const std::vector<std::string> selected = window.FilesView()->SelectedNames();
    const LogfileDetails* shown = window.SelectedDetails();
    if (shown && selected.size() == 1 && selected.front() == files.front()) {
      context.details = *shown;
    } else if (ReadOutcome read = window.CurrentWorkspace().ReadDetails(files.front());
               read.details) {
      context.details = std::move(*read.details);
    } else {
      return std::nullopt;
    }
  }
  return context;
}

namespace {

template <class Dialog>
void RunHeaderDialog(MainWindow& window, const std::vector<std::string>& files) {
  const std::optional<HeaderDialogContext> context = HeaderContextFor(window, files);
  if (!context) return;
  Dialog dialog(*context, &window);
  dialog.exec();
  // Every file may have changed, also after a failure further on.
  for (const std::string& file : files) window.RefreshEntry(file);
  window.FilesView()->clearSelection();
}

}  // namespace

void InstallHeaderDialogs(MainWindow& window) {
  window.SetCommandHandler(CommandId::kModuleAttributes, [&window](const auto& files) {
    RunHeaderDialog<AttributesDialog>(window, files);
  });
  window.SetCommandHandler(CommandId::kModuleDescription, [&window](const auto& files) {
    RunHeaderDialog<ModuleDescriptionDialog>(window, files);
  });
  window.SetCommandHandler(CommandId::kModuleAccessList, [&window](const auto& files) {
    RunHeaderDialog<AccessListDialog>(window, files);
  });
  window.SetCommandHandler(CommandId::kModuleAuthor, [&window](const auto& files) {
    if (files.size() == 1) RunHeaderDialog<ModuleAuthorDialog>(window, files);
  });
}

}  // namespace tarn::dorn
