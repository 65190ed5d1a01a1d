// A scratch project for the front end's tests: a temporary directory that
// holds the project's workfiles, its logfiles (tarn/), the configuration
// (config/) and the temporary directory (tmp/), a workspace on it and a
// main window showing it. Files are put under control and changed with the
// engine's own commands; logfile headers are read back through the object
// interface.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "frontend/main_window.h"
#include "frontend/workspace.h"
#include "objects/log_file_header_info.h"

namespace tarn::dorn::testing {

class ScratchProject {
 public:
  // The workfiles live in `projectDirectory` inside the scratch directory
  // (it may hold blanks).
  explicit ScratchProject(const QString& projectDirectory = QStringLiteral("project"));
  ~ScratchProject();

  bool IsValid() const { return valid_; }
  // A file of the project directory; of the scratch directory.
  QString Path(const QString& name) const;
  QString ScratchPath(const QString& name) const;
  Workspace& Space() { return *workspace_; }
  MainWindow& Window() { return *window_; }

  // Puts `name` under control with `text` as its first revision (its
  // logfile with the attribute bits `attributes` set beyond the defaults),
  // or stores `text` as its next revision; the list is read again. False
  // when the engine refused.
  bool Add(const std::string& name, const QByteArray& text, std::uint16_t attributes = 0);
  bool CheckIn(const std::string& name, const QByteArray& text);
  // Writes a workfile, made writable first.
  bool Write(const std::string& name, const QByteArray& text);
  // Selects the file in the list (filling the Revision and Module tabs).
  void Select(const std::string& name);

  // The logfile's header as the object interface reads it.
  std::optional<tLogFileHeaderInfo> Header(const std::string& name) const;
  // The files left in the temporary directory.
  QStringList TemporaryFiles() const;
  // Replaces dorn.ini.
  bool WriteSystemIni(const QByteArray& text);

 private:
  QTemporaryDir scratch_;
  QString project_;
  bool valid_ = false;
  std::unique_ptr<Workspace> workspace_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tarn::dorn::testing
