#include "platform/error_text.h"

#include <cerrno>
#include <cstring>

#include "platform/file.h"

namespace tarn::platform {

std::string ErrorText(int code) {
  if (code == kNotRegularFile) return "not a regular file";
  if (code == 0) return "unknown reason";
  return std::strerror(code);
}

bool IsOutOfSpace(int code) { return code == ENOSPC || code == EDQUOT; }

}  // namespace tarn::platform
