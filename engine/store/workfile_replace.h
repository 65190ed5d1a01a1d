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
//
// Only a regular file is ever replaced. A symbolic link is followed: the
// file it leads to is replaced (in that file's directory) and the link
// stays. A directory, device, FIFO or socket is refused and left untouched:
// renaming over /dev/null, say, would replace a system file with a text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/store/disk_names.h"

namespace tarn {

struct WorkfileFinish {
  std::int64_t timestamp = 0;  // seconds since 1970 UTC; set rounded down to an even second
  bool readOnly = false;       // make the new workfile read-only
};

// Copies the file `source` into place as `workfile`. 1, or -1 after
// reporting message 360 with the workfile and the reason (402 for a target
// that is not a regular file).
int ReplaceWorkfile(const std::string& source, const std::string& workfile,
                    const WorkfileFinish& finish);

// The same with the text in memory: it is written once, into the new file.
int ReplaceWorkfileWithText(std::span<const std::uint8_t> text, const std::string& workfile,
                            const WorkfileFinish& finish);

// The file a workfile's text goes into: `workfile` itself, or the file a
// symbolic link at `workfile` leads to. Nothing, after message 402 (not a
// regular file) or 360 (a link that cannot be read), when no workfile may
// be written there.
std::optional<std::string> WorkfileTarget(const std::string& workfile);

// Writes `text` to standard output. 1, or -1 after message 405.
int WriteToStandardOutput(std::span<const std::uint8_t> text);

}  // namespace tarn
