#include "platform/error_text.h"

#include <cstring>

#include "platform/file.h"

namespace tarn::platform {

std::string ErrorText(int code) {
  if (code == kNotRegularFile) return "not a regular file";
  if (code == 0) return "unknown reason";
  return std::strerror(code);
}

}  // namespace tarn::platform
