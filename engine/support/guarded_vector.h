// A std::vector over the guarded allocator, for the engine's work tables
// (line tables, class numbers, diagonal vectors). Like ByteBuffer, its
// constructors record the caller's file and line as the blocks' origin.
#pragma once

#include <vector>

#include "engine/support/guarded_memory.h"
#include "engine/support/source_location.h"

namespace tarn {

template <class T>
class GuardedVector : public std::vector<T, GuardedAllocator<T>> {
  using Base = std::vector<T, GuardedAllocator<T>>;
  using Allocator = GuardedAllocator<T>;

 public:
  using typename Base::size_type;

  GuardedVector(SourceLocation where = SourceLocation::current()) : Base(Allocator(where)) {}
  explicit GuardedVector(size_type count, SourceLocation where = SourceLocation::current())
      : Base(count, Allocator(where)) {}
  GuardedVector(size_type count, const T& value, SourceLocation where = SourceLocation::current())
      : Base(count, value, Allocator(where)) {}
};

}  // namespace tarn
