// dorn: the TARN desktop front end.
//
//   dorn [DIRECTORY]                 opens the project of DIRECTORY (else the
//                                    last directory used)
//   dorn --screenshots OUT FILE      saves pictures of the window and the
//                                    dialogs for FILE of the list into OUT
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <optional>
#include <string>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "frontend/demo_tour.h"
#include "frontend/main_window.h"
#include "frontend/workspace.h"
#include "objects/env_var.h"
#include "platform/environment_variables.h"

int main(int argc, char** argv) {
  using namespace tarn;
  using namespace tarn::dorn;
  // The catalogue comes first: without it there are no texts to show, so no
  // window opens. It reports its own error.
  if (LoadMessageFile("Dorn", kCatalogueFileName, platform::ProgramDirectory()) != 1) {
    std::fprintf(stderr, "Dorn: cannot start without the message catalogue %s\n",
                 std::string(kCatalogueFileName).c_str());
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dorn"));
  QApplication::setApplicationVersion(QStringLiteral("2.3"));
  QApplication::setWindowIcon(QIcon(QApplication::applicationDirPath() + QStringLiteral("/dorn.svg")));

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  QString screenshots;
  QString screenshotFile;
  if (arguments.size() >= 3 && arguments[0] == QStringLiteral("--screenshots")) {
    screenshots = arguments[1];
    screenshotFile = arguments[2];
    arguments = arguments.mid(3);
  }

  tEnvVar working;
  const tEnvVar atStartUp(working);
  Workspace workspace(working);
  const QString directory = arguments.isEmpty() ? QDir::currentPath() : arguments.first();

  int status = 0;
  {
    MainWindow window(workspace, nullptr, nullptr);
    window.Reload(directory);
    window.show();
    if (!screenshots.isEmpty()) {
      status = TakeScreenshots(window, nullptr, screenshotFile, screenshots) == 0 ? 0 : 1;
    } else {
      status = QApplication::exec();
    }
  }
  FreeMessages();
  return status;
}
