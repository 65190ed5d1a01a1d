// What a file's inode tells about it beyond its contents: who owns it, its
// group and permission bits, and a stamp that changes whenever the file is
// replaced or written. Files shared by a team are rewritten by whoever
// changes them, so these decide whether the rest of the team can still use
// the new file, and whether a copy read earlier is still the file's text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file.h"

namespace tarn::platform {

struct FileOwnership {
  unsigned mode = 0;   // the permission bits (0777) and the set-id bits
  unsigned owner = 0;  // user id
  unsigned group = 0;  // group id
};

// Of the file `path` names, links followed; nothing when it cannot be looked at.
std::optional<FileOwnership> OwnershipOf(const std::string& path);
std::optional<FileOwnership> OwnershipOf(const File& file);

// Gives the open file `group` (when given and not already its group) and then
// the permission bits `mode`. False (errno set) when either is refused: a user
// may only give a file a group they belong to.
bool GiveGroupAndMode(File& file, std::optional<unsigned> group, unsigned mode);

// True when this process may write the file `path` itself: its effective ids
// have write permission, and some write bit is set (a file nobody may write
// is protected even from root).
bool CanWriteInPlace(const std::string& path);

// The process's effective user id.
unsigned EffectiveUserId();

// A file's identity, size and change times: equal stamps mean the same text,
// as every writer replaces a shared file whole (a new inode) or changes it
// through a write (new change time).
struct ChangeStamp {
  FileIdentity identity;
  std::int64_t size = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedNanoseconds = 0;
  bool operator==(const ChangeStamp&) const = default;
};

std::optional<ChangeStamp> ChangeStampOf(const std::string& path);
std::optional<ChangeStamp> ChangeStampOf(const File& file);

}  // namespace tarn::platform
