// Checking an import: every revision of a ,v file, as co gives it, against
// the same revision rebuilt from the logfile, byte for byte.
//
// co is asked for the text as stored (-ko, or -kb for binary files): the
// keywords as they were checked in, which is what the logfile holds. The
// expansion of keywords on the way out differs between the two systems
// and is not compared.
#pragma once

#include <string>

#include "engine/support/environment.h"

namespace tarn::rcs {

// Compares every revision of the ,v file at `path` with the logfile of its
// workfile. Reports agreement (822) or the first difference (823, 824,
// 825; 610 when there is no logfile); returns 1 when all agree, else -1.
int CheckImport(const std::string& path, const tarnEnvironVars& env);

}  // namespace tarn::rcs
