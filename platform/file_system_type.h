// Which kind of file system a path lies on, for messages that must name it.
#pragma once

#include <string>

namespace tarn::platform {

// The type of the file system mounted where `path` lies, as the mount table
// spells it ("ext4", "nfs4", "fuse.sshfs", "cifs"); "unknown" when it
// cannot be told.
std::string FileSystemTypeOf(const std::string& path);

}  // namespace tarn::platform
