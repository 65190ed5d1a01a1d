// The get command ("tget"): writes one revision of a logfile into its
// workfile, optionally locking the revision for the user (a check-out).
//
// Command line: the command word, then options and exactly one file name in
// any order. The file name names the logfile (by the naming rule) and is the
// workfile too, unless the output option names another path.
//
// The workfile is never written in place: the revision goes into a new file
// beside it, which gets its time stamp and protection and is then renamed
// over the old workfile. A get that fails leaves the old workfile as it was
// and no file of its own behind. A get without the lock option never changes
// the logfile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/support/environment.h"

namespace tarn {

// The attributes a get may override for itself.
inline constexpr std::uint16_t kGetOverridableAttributes =
    kAttrExpandKeywords | kAttrProtectWorkFile;

enum class WorkfileTimestamp {
  kNow = 1,          // the current time (the default)
  kEditTime = 2,     // the revision's edit time
  kCheckInTime = 3,  // the revision's check-in time
};

// GetCommandArgs: what the parser takes from the command line.
struct GetCommandArgs {
  bool lock = false;       // check out: lock the fetched revision
  bool newerOnly = false;  // write only when the revision is newer than the workfile
  bool quiet = false;      // leave out the result messages
  // Write the revision to standard output and touch no workfile (never
  // with the lock, newer-only or output option).
  bool standardOutput = false;
  std::optional<tarnCommandRevDesc> revision;  // the revision option
  std::optional<std::string> label;            // the label option (quotes removed)
  // The date option: the newest revision checked in at or before it, on the
  // line of the revision option or of the default revision.
  std::optional<std::int64_t> date;
  std::string dateText;  // as given
  std::optional<std::string> workfile;         // the output option's path
  // The preset answer for a writable workfile, upper-cased: yes replaces it,
  // no leaves it, the keep word leaves it and says so.
  std::optional<std::string> writableAnswer;
  AttributeOverride attributes;
  WorkfileTimestamp timestamp = WorkfileTimestamp::kNow;
  std::string fileName;  // the logfile argument as given
  // Where a caller learns the number of the revision written (not owned;
  // null: nobody asks).
  std::string* fetchedRevision = nullptr;

  // Where the revision goes: the output option's path, else the file name.
  const std::string& WorkfilePath() const { return workfile ? *workfile : fileName; }
};

// 1 accepted; -1 refused (reported, then the usage report).
int ParseGetCommandLine(CommandArguments arguments, GetCommandArgs& args);

// Runs the get. 1 done, also when a newer workfile made writing needless;
// 2 nothing was done: a writable workfile was left alone (answered no, or
// the keep answer); -1 failure (reported), also for a label that does not
// exist and for a workfile that is not a regular file. The environment's
// attribute word becomes the effective attributes of the logfile.
int RunGetCommand(const GetCommandArgs& args, tarnEnvironVars& env);

}  // namespace tarn
