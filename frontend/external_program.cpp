#include "frontend/external_program.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringList>

namespace tarn::dorn {

ProgramRun RunAndWait(const std::vector<std::string>& words) {
  ProgramRun run;
  if (words.empty()) return run;
  QStringList arguments;
  for (std::size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.setProgram(QString::fromStdString(words.front()));
  process.setArguments(arguments);
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  process.start();
  if (!process.waitForStarted(-1)) {
    run.reason = process.errorString();
    return run;
  }
  run.started = true;
  if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
  return run;
}

}  // namespace tarn::dorn
