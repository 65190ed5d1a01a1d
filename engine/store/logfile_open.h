// Opening a logfile for a command: the path from the command's file name,
// the file opened for reading, the fixed header checked.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/format/logfile_header_codec.h"
#include "engine/support/environment.h"
#include "platform/file.h"

namespace tarn {

// Derives the logfile path of `logfileArgument` (handed back in
// `logfilePath` in every case) and opens the logfile for reading: nothing in
// the logfile directory changes, and a directory the user may only read will
// do. Writers read the old logfile through it and replace it whole. The
// fixed header must be whole, of format 6 and carry a matching checksum.
// Returns the stream at offset 0, or nothing after reporting why: 404 (a
// name that collides with a file the logfile needs beside it), 450 or 451
// (the logfile cannot be opened, or is a link), 106, 163 or 162.
std::optional<platform::File> OpenLogfile(std::string_view logfileArgument,
                                          const tarnEnvironVars& env, std::string& logfilePath);

// Checks the fixed header at the start of `stream` (whole, format 6, its
// checksum; its bytes read into `bytes`) and rewinds it. 1, or -1 after
// 106, 163 or 162.
int CheckFixedHeader(platform::File& stream, const std::string& logfilePath,
                     FixedHeaderBytes& bytes);

}  // namespace tarn
