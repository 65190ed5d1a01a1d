// The project edit sheet: one project's settings on three pages, written
// back to its INI file on OK or Apply. Its title says which project it
// edits: a new or an existing one, of the system INI file or of the user's.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "projects/project.h"

class QTabWidget;

namespace tarn::dorn {

class CTDefineProjectPage;
class CTEnvPropertyPage;
class CTProjectAttributesPage;

enum class ProjectSheetKind { kNewSystem, kNewUser, kEditSystem, kEditUser };

class CTProjectEditSheet : public QDialog {
  Q_OBJECT

 public:
  // `projectName` is ignored for a new project, which starts under the
  // placeholder name. `userName` names the user's INI file.
  CTProjectEditSheet(ProjectSheetKind kind, const std::string& projectName,
                     const std::string& userName, const ProjectPlace& place,
                     QWidget* parent = nullptr);
  ~CTProjectEditSheet() override;

  // Stores the pages into the project and writes what changed. False after
  // telling the user why nothing (or not everything) was written.
  bool Apply();

  const tProject& Project() const { return *project_; }
  CTDefineProjectPage* InfoPage() const { return info_; }
  CTEnvPropertyPage* SettingsPage() const { return settings_; }
  CTProjectAttributesPage* AttributesPage() const { return attributes_; }
  QTabWidget* Pages() const { return pages_; }

 public slots:
  void accept() override;

 private:
  void ShowFailure(const QString& text);

  bool isNew_;
  std::unique_ptr<tProject> project_;
  QTabWidget* pages_;
  CTDefineProjectPage* info_;
  CTEnvPropertyPage* settings_;
  CTProjectAttributesPage* attributes_;
};

// The sheet's title for a kind of project.
QString ProjectSheetTitle(ProjectSheetKind kind);

// Why a change to `project` in the INI file `path` was not written; empty
// when it was.
QString ProjectWriteFailure(IniWrite result, const std::string& project, const std::string& path);

}  // namespace tarn::dorn
