#include "objects/log_file_error.h"

namespace tarn {

namespace {

const char* TextOf(tLogFileError::Kind kind) {
  switch (kind) {
    case tLogFileError::kBadCommandLine:
      return "Bad command line";
    case tLogFileError::kLogfileNotWritable:
      return "Couldn't change logfile to r/w";
    case tLogFileError::kLogfileNotProtected:
      break;
  }
  return "Failed to write protect logfile";
}

}  // namespace

tLogFileError::tLogFileError(Kind kind) : kind_(kind), text_(TextOf(kind)) {}

}  // namespace tarn
