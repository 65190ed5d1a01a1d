// Where a program finds the files installed with it: the message catalogue
// and the usage texts.
//
// In the build tree and in a team's shared installation they lie beside the
// programs. An installed tree keeps them apart, in share/tarn/ of the
// installation prefix: bin/tarn finds them in ../share/tarn/, and the
// single-command programs in libexec/tarn/ in ../../share/tarn/. This is the
// only place that knows the rule.
#pragma once

#include <string>
#include <string_view>

namespace tarn::platform {

// The directories searched, in order, each with a trailing separator: the
// program directory, then ../share/tarn/ and ../../share/tarn/ relative to it.
std::string InstalledFileDirectory(std::string_view file_name);

// The path of `file_name` in the first of those directories that holds it;
// the path beside the program when none does (so a message about a missing
// file names where it was looked for first).
std::string InstalledFilePath(std::string_view file_name);

}  // namespace tarn::platform
