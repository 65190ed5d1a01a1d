// Path names of this platform: the separator, full (absolute, normalised)
// names and the split into directory and final component. Everything that
// takes a path apart goes through here, so the engine never matches a
// separator character itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform {

inline constexpr char kPathSeparator = '/';

// Paths longer than this are refused by the callers that store them, never
// cut: a cut path names a different file.
inline constexpr std::size_t kMaxPathLength = 259;

// `path` made absolute against the current directory and lexically
// normalised: repeated separators, "." and ".." are removed ("/.." stays "/")
// and no separator trails, except for the root "/" itself. Components keep
// the spelling given (the file system is case-sensitive). Symbolic links are
// not resolved. Empty for an empty path, and for a relative path when the
// current directory cannot be found (it was removed).
std::string FullPathName(std::string_view path);

// Up to and including the last separator; empty when there is none.
std::string DirectoryPart(std::string_view path);

// After the last separator; the whole path when there is none.
std::string FinalComponent(std::string_view path);

// `directory` with a separator at its end; an empty text stays empty.
std::string WithTrailingSeparator(std::string_view directory);

// True when `path` starts at the root rather than at the current directory.
bool IsAbsolutePath(std::string_view path);

// The process's current directory, absolute, without a trailing separator
// (except "/"); empty when it cannot be found.
std::string CurrentDirectory();

// The directory `path` names with every symbolic link in it resolved, as the
// current directory comes back from the system; nothing when `path` names no
// existing directory.
std::optional<std::string> ResolvedDirectory(std::string_view path);

}  // namespace tarn::platform
