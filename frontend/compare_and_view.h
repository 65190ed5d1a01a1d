// Compare and view: a stored revision is fetched with the get command into
// a temporary file, then shown, and the temporary file removed.
//
// The programs come from the tools section of dorn.ini: the compare
// command (with "%s" for the revision's file and for the workfile) and the
// viewer. A configured program is started and waited for. Without a
// compare command TARN's own compare window opens; without a viewer, TARN's
// own read-only viewer. The desktop's own file associations are not asked:
// the programs they name usually hand the file to an instance that is
// running already and return at once, so waiting for them would remove the
// file while it is still being looked at.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "frontend/file_operation_dialog.h"
#include "frontend/workspace.h"

namespace tarn::dorn {

class MainWindow;

// Serves File, Compare and File, View, and a double click on an entry of
// the Revision tab (which views that revision).
void InstallCompareAndView(MainWindow& window);

// Where compare and view run: the workspace, the widget that owns their
// message boxes (and is disabled while the get runs), and the window that
// owns TARN's own compare and viewer windows.
struct LookContext {
  Workspace* workspace = nullptr;
  QWidget* dialogParent = nullptr;
  QWidget* windowOwner = nullptr;
};

// Compares `revision` of the file `name` (empty: the default revision) with
// its workfile.
void CompareWithWorkfile(const LookContext& context, const std::string& name,
                         const std::string& revision);

// Views `revision` of the file `name`; keywords are expanded for
// `displayName`, the workfile name the logfile keeps.
void ViewRevision(const LookContext& context, const std::string& name, const std::string& revision,
                  const std::string& displayName);

class CompareDialog;

// The compare dialog for the file `name`, its revision list as the
// Revision tab has it.
std::unique_ptr<CompareDialog> MakeCompareDialog(MainWindow& window, const std::string& name);

// "Compare...": the revision list (as the Revision tab has it), the
// logfile and the workfile; OK compares.
class CompareDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  CompareDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  // Empty: the get's command names a temporary file that OK makes.
  std::string Command() override;

 public slots:
  void accept() override;
};

}  // namespace tarn::dorn
