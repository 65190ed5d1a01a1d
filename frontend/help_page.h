// Help: the HTML page installed with the program, in a help browser.
#pragma once

#include <QString>

namespace tarn::dorn {

// The help page's path: dorn.html beside the program, else in
// ../share/tarn/ from the program's directory. Empty when there is none.
QString HelpPagePath();

// Opens the help page at `topic` (an anchor; empty for the top).
void OpenHelp(const QString& topic = QString());

}  // namespace tarn::dorn
