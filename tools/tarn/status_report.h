// tarn status [DIRECTORY]
//
// The files under control in the directory, as the desktop front end's
// project files list shows them (columns file, locked by, last changed,
// workfile in, size; the mark New before a file whose workfile is missing
// or older than its logfile's last change), sorted by name; then the files of the directory that
// are not under control. Exit status 0, or 1 when the directory cannot be listed.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace tarn::cli {

// One row of the list, as shown.
struct StatusRow {
  bool is_new = false;
  std::string file;
  std::string locked_by;
  std::string last_changed;
  std::string workfile_in;
  std::string size;
};

// The rows as aligned columns under the catalogue's column headings, then
// the files not under control under their heading.
std::string StatusTable(const std::vector<StatusRow>& rows,
                        const std::vector<std::string>& not_under_control);

int RunStatusReport(std::span<const std::string> words);

}  // namespace tarn::cli
