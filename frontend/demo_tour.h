// Screenshots of the main window with each tab and of every dialog, saved
// as PNG files: the picture a reviewer checks the layout by. Run by
// `dorn --screenshots DIR` (scripts/screenshots.sh).
#pragma once

#include <QString>

namespace tarn::dorn {

class MainWindow;

// Shows each tab and opens each dialog for the file `file` of the list,
// saves the pictures into `directory`, and closes what it opened. The
// login dialog is left out while the system has no users (it would open the
// user maintenance first). Returns the number of pictures that could not be
// saved.
int TakeScreenshots(MainWindow& window, const QString& file, const QString& directory);

}  // namespace tarn::dorn
