// The two ways LockFile makes a lock file, apart so that tests can run the
// fallback on a file system that has hard links. Not for other callers: use
// LockFile::TryAcquire.
#pragma once

#include <optional>
#include <string>

namespace tarn::platform::lock_file_detail {

// The normal way: lock a private file, link() it to `path`. Returns the
// locked descriptor; `links_unsupported` tells that the file system refused
// the hard link itself (not because the name exists).
std::optional<int> AcquireByLink(const std::string& path, bool& links_unsupported);

// For file systems without hard links: create `path` exclusively, lock it and
// check that the name still leads to it.
std::optional<int> AcquireByCreate(const std::string& path);

}  // namespace tarn::platform::lock_file_detail
