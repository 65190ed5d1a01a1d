// Opening a logfile for a command: the path from the command's file name,
// the read-only attribute cleared, the fixed header checked.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/format/logfile_header_codec.h"
#include "engine/support/environment.h"
#include "platform/file.h"

namespace tarn {

// Derives the logfile path of `logfileArgument` (handed back in
// `logfilePath` in every case), clears the logfile's read-only attribute and
// opens it for reading and writing. The fixed header must be whole, of
// format 6 and carry a matching checksum. Returns the stream at offset 0, or
// nothing after reporting why: 168 (as a status message: the caller decides
// whether a missing logfile is an error), 106, 163 or 162.
std::optional<platform::File> OpenLogfile(std::string_view logfileArgument,
                                          const tarnEnvironVars& env, std::string& logfilePath);

// Checks the fixed header at the start of `stream` (whole, format 6, its
// checksum; its bytes read into `bytes`) and rewinds it. 1, or -1 after
// 106, 163 or 162.
int CheckFixedHeader(platform::File& stream, const std::string& logfilePath,
                     FixedHeaderBytes& bytes);

}  // namespace tarn
