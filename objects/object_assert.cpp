#include "objects/object_assert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarn::objects_detail {

void AssertionFailure(const char* expression, unsigned line, const char* file) {
  const char* slash = std::strrchr(file, '/');
  std::fprintf(stderr, "Assertion failure: '%s' on line %u in file '%s'\n", expression, line,
               slash != nullptr ? slash + 1 : file);
  std::fflush(stderr);
  std::abort();
}

}  // namespace tarn::objects_detail
