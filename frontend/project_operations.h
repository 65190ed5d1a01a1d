// The operations over many files: the Project menu's get, check in, check
// out, lock, unlock, label and remove label over every file of the list,
// the File menu's over the selected files when more than one is selected,
// and the Files tab's add of several workfiles. Each opens its dialog's
// multi-file form, which runs the command file by file.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tarn::dorn {

class FileOperationDialog;
class MainWindow;

enum class MultiFileOperation { kGet, kCheckOut, kCheckIn, kAdd, kLock, kUnlock, kLabel, kRemoveLabel };

// Enters the handlers and the "file k of n" display in the status bar.
// Called once, at the end of the main window's construction.
void InstallProjectOperations(MainWindow& window);

// The dialog's multi-file form for `files` (in list order, not empty).
std::unique_ptr<FileOperationDialog> MakeMultiFileDialog(MainWindow& window,
                                                         MultiFileOperation operation,
                                                         const std::vector<std::string>& files);

// Runs the dialog modally, then clears the list's selection. Does nothing
// while another run over many files is under way.
void RunMultiFileOperation(MainWindow& window, MultiFileOperation operation,
                           const std::vector<std::string>& files);

}  // namespace tarn::dorn
