// dorn: the TARN desktop front end.
//
//   dorn [DIRECTORY | FILE]          opens the project of DIRECTORY (else the
//                                    last directory used), or FILE's
//                                    directory with FILE chosen
//   dorn --screenshots OUT FILE DIR  saves pictures of the window and the
//                                    dialogs for FILE of DIR's list into OUT
//   dorn --version                   prints the version
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <optional>
#include <string>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "frontend/demo_tour.h"
#include "frontend/front_text.h"
#include "frontend/login_dialog.h"
#include "frontend/main_window.h"
#include "frontend/user_preferences.h"
#include "frontend/workspace.h"
#include "objects/env_var.h"
#include "platform/installed_files.h"
#include "projects/configuration_directory.h"
#include "tarn_version.h"
#include "projects/ini_file.h"
#include "projects/ini_reports.h"
#include "projects/reserved_names.h"

int main(int argc, char** argv) {
  using namespace tarn;
  using namespace tarn::dorn;
  // The catalogue comes first: without it there are no texts to show, so no
  // window opens. It reports its own error; the line below says what it
  // means for the program.
  // It lies beside the program in the build tree and in share/tarn/ when
  // installed.
  if (LoadMessageFile("Dorn", kCatalogueFileName,
                      platform::InstalledFileDirectory(kCatalogueFileName)) != 1) {
    std::fprintf(stderr, "Dorn: cannot start without the message catalogue %s\n",
                 platform::InstalledFilePath(kCatalogueFileName).c_str());
    return 1;
  }
  int status = 0;
  {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorn"));
    QApplication::setApplicationVersion(
        QString::fromUtf8(kTarnVersion.data(), static_cast<qsizetype>(kTarnVersion.size())));
    // The installed icon theme's, else the copy built into the program, so
    // the window has its icon wherever the program runs from.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("dorn"), QIcon(QStringLiteral(":/dorn.svg"))));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    // After the application is made, so that a check of an installation
    // sees the catalogue and the window system's plugins found as well.
    if (arguments == QStringList{QStringLiteral("--version")}) {
      std::printf("dorn %.*s\n", static_cast<int>(kTarnVersion.size()), kTarnVersion.data());
      FreeMessages();
      return 0;
    }
    QString screenshots;
    QString screenshotFile;
    if (arguments.size() >= 3 && arguments[0] == QStringLiteral("--screenshots")) {
      screenshots = arguments[1];
      screenshotFile = arguments[2];
      arguments = arguments.mid(3);
    }

    // The user comes from the environment; where it names none, the login
    // decides, and Cancel ends the program before any window opens.
    tEnvVar settings;
    const std::string configuration = ConfigurationDirectory();
    if (std::string(settings.UserName()) == MessageText(msg::kWordNone.number)) {
      const std::optional<std::string> user =
          LoginDialog::Run(configuration + std::string(kSystemIniFileName));
      if (!user) {
        FreeMessages();
        return 0;
      }
      settings.UserName(user->c_str());
    }
    // A name that would be the INI machinery's own file is never used.
    if (!IsUsableUserName(settings.UserName())) {
      QMessageBox::critical(nullptr, QApplication::applicationName(),
                            FrontText(msg::kBadUserNameFromEnvironment,
                                      std::string(settings.UserName()),
                                      std::string(MessageText(msg::kEnvUserName.number))));
      FreeMessages();
      return 1;
    }
    Workspace workspace(settings, configuration);
    // An INI file that cannot be read is said at once: its projects and
    // users are missing, and nothing will be written to it.
    for (const std::string& path : {workspace.SystemIniFile(), workspace.UserIniFile()}) {
      tIniFile ini(path);
      if (const std::optional<IniProblem> problem = ini.Problem()) {
        QMessageBox::warning(nullptr, QApplication::applicationName(),
                             Qs(IniProblemText(*problem)));
      }
    }
    UserPreferences preferences(workspace.UserIniFile());
    QString directory = arguments.isEmpty() ? QString() : arguments.first();
    if (directory.isEmpty()) {
      const std::optional<std::string> last = preferences.Value(msg::kIniCurrentDirectory);
      directory = last && QDir(QString::fromStdString(*last)).exists()
                      ? QString::fromStdString(*last)
                      : QDir::currentPath();
    }

    MainWindow window(workspace, &preferences, nullptr);
    window.show();
    window.OpenStartPath(directory);
    if (!screenshots.isEmpty()) {
      status = TakeScreenshots(window, screenshotFile, screenshots) == 0 ? 0 : 1;
      window.close();
    } else {
      status = QApplication::exec();
    }
  }
  FreeMessages();
  return status;
}
