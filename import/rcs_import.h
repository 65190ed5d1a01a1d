// Importing ,v files one by one: which files an argument names, which
// workfile and logfile each belongs to, and the import of one file under
// its logfile's lock.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/support/environment.h"
#include "import/imported_header.h"
#include "import/rcs_history.h"

namespace tarn::rcs {

// The ,v files an argument names: the file itself, or every file whose
// name ends in ",v" in a directory and all its subdirectories, sorted.
// Refusals reported (818, 819): none.
std::optional<std::vector<std::string>> RcsFilesNamedBy(const std::string& argument);

// The workfile a ,v file keeps the history of: its name without ",v", in
// the directory above when the file lies in a directory called RCS
// ("src/RCS/main.c,v" -> "src/main.c").
std::string WorkfileOfRcsFile(std::string_view path);

// Reads and checks the ,v file at `path` (reported: 617 and the reader's
// and history's refusals): none.
std::optional<History> ReadHistory(const std::string& path);

// Imports one ,v file into the logfile of its workfile (the logfile
// directory of `env`), which must not exist yet. Reports the result (800)
// or the refusal; returns 1 or -1.
int ImportRcsFile(const std::string& path, const tarnEnvironVars& env,
                  const ImportChoices& choices = {});

}  // namespace tarn::rcs
