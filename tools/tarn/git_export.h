// The history of a set of logfiles as one git history, written as a
// fast-import stream.
//
// Every revision's text becomes a blob, written while its logfile is read
// (one logfile at a time, its texts never all held). Then the revisions
// become commits: the trunk's on the trunk branch, each branch's on a git
// branch named by the floating label that names it (the same label in
// several files: one git branch) or else tarn-branches/PATH/NUMBER. On one
// branch, check-ins by one author with one description, each within the
// window of the first and no file twice, make one commit, dated by its
// latest check-in. A branch starts from the newest commit holding one of
// its branch points, and its first commit puts every file of the branch at
// its branch point. Each fixed label becomes a tag on a commit of its own
// whose tree holds exactly the labelled revisions, its parent the commit
// of the newest of them. The order of everything follows from the logfiles
// alone, so the same logfiles give the same stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/tarn/authors_file.h"
#include "engine/support/report.h"

namespace tarn::cli {

struct ExportInput {
  std::string path;     // the file's path in the repository
  std::string logfile;  // its logfile
};

struct ExportOptions {
  std::string trunk = "main";
  std::int64_t window = 300;  // seconds
  AuthorsFile authors;
  // Kind of the notes: an alert where the stream goes to standard output.
  MessageKind note_kind = kStatus;
};

// Writes the stream for `inputs` (sorted by path, each path once) to `out`.
// 1 when every logfile was exported and the stream written; -1 when a
// logfile was left out (reported by name; the rest is exported all the
// same) or the stream could not be written.
int ExportToGit(const std::vector<ExportInput>& inputs, const ExportOptions& options,
                std::FILE* out, const std::string& out_name);

}  // namespace tarn::cli
