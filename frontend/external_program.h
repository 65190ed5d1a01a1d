// Running an external program (the configured compare program or viewer)
// and waiting for it to end.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace tarn::dorn {

struct ProgramRun {
  bool started = false;
  QString reason;  // why it could not be started, in the system's words
};

// Starts the program `words` names (looked up along PATH when the name has
// no separator) with the other words as its arguments, without a shell,
// and waits until it ends. Meanwhile the windows are still drawn, but no
// user input is taken. The program's output goes where ours goes.
ProgramRun RunAndWait(const std::vector<std::string>& words);

}  // namespace tarn::dorn
