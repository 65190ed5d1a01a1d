// The header dialogs' commands of the File menu (Modify, Module Info).
#pragma once

namespace tarn::dorn {

class MainWindow;

// Serves Attributes, Description and Access List (on the selected file or
// files) and Author (on the one selected file).
void InstallHeaderDialogs(MainWindow& window);

}  // namespace tarn::dorn
