// Where in the source a call was made: the module and line that allocations
// and internal-fault messages name.
//
// std::source_location would do, but clang 14 cannot compile it against
// GCC 12's library, and the fuzz targets are built with clang. The compiler
// built-ins below give the caller's file and line on both compilers when
// they stand in a default argument.
#pragma once

namespace tarn {

class SourceLocation {
 public:
  static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                          unsigned line = __builtin_LINE()) noexcept {
    return SourceLocation(file, line);
  }
  constexpr SourceLocation() noexcept = default;

  constexpr const char* file_name() const noexcept { return file_; }
  constexpr unsigned line() const noexcept { return line_; }

 private:
  constexpr SourceLocation(const char* file, unsigned line) noexcept : file_(file), line_(line) {}

  const char* file_ = "";
  unsigned line_ = 0;
};

}  // namespace tarn
