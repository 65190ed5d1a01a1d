// The header dialogs' commands of the File menu (Modify, Module Info).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/header_dialog.h"

namespace tarn::dorn {

class MainWindow;

// What a header dialog opens with for `files`; nothing when there are none
// or the one file's header cannot be read (the single-file form shows what
// the header holds).
std::optional<HeaderDialogContext> HeaderContextFor(MainWindow& window,
                                                    const std::vector<std::string>& files);

// Serves Attributes, Description and Access List (on the selected file or
// files) and Author (on the one selected file).
void InstallHeaderDialogs(MainWindow& window);

}  // namespace tarn::dorn
