// Putting a fetched revision into place as the workfile.
//
// The old workfile is never truncated and refilled: if that failed half way
// (a full disk, a killed process), the user's file would be lost and the
// fetched text incomplete. Instead the text goes into a new file in the
// workfile's own directory, which gets its time stamp and protection while
// it is still private, and is then renamed over the workfile in one step. Any failure before the
// rename leaves the old workfile exactly as it was and removes the new file.
//
// The new file gets the permissions that a freshly created file gets (the
// process's umask), like a workfile fetched for the first time, plus the
// execute permissions of the workfile it replaces.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarn {

struct WorkfileFinish {
  std::int64_t timestamp = 0;  // seconds since 1970 UTC; set rounded down to an even second
  bool readOnly = false;       // make the new workfile read-only
};

// Copies the file `source` into place as `workfile`. 1, or -1 after
// reporting message 360 with the workfile and the reason.
int ReplaceWorkfile(const std::string& source, const std::string& workfile,
                    const WorkfileFinish& finish);

// The same with the text in memory: it is written once, into the new file.
int ReplaceWorkfileWithText(std::span<const std::uint8_t> text, const std::string& workfile,
                            const WorkfileFinish& finish);

// The name of the new file beside `workfile` that attempt `attempt` uses:
// hidden, in the same directory, so the rename never crosses file systems.
std::string WorkfileReplacementName(const std::string& workfile, unsigned attempt);

}  // namespace tarn
