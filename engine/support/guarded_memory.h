// The engine's guarded allocator.
//
// Every engine data buffer is allocated here with the source module and line
// that asked for it. Blocks carry guard words before and after the data, live
// blocks are kept in a list, guards are checked when a block is freed, new
// blocks are filled with 0xEE and freed ones overwritten with 0xFF. Running out
// of memory follows a settable policy (by default: say so and exit).
//
// Faults (damaged guards, double frees, frees of addresses that are not live
// blocks) print a diagnostic on standard error and stop the program.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

#include "engine/support/source_location.h"

namespace tarn {

enum MemoryExhaustedMode : int {
  kMemExit = 0,         // report message 138 (standard error), clean up, exit(1)
  kMemExitQuietly = 1,  // clean up, exit(1)
  kMemGiveUp = 2,       // the allocation returns null
  kMemAskHandler = 3,   // the handler's result says what to do with this failure
  kMemRetry = 4,        // try again
};
// Called on every failed platform allocation while the mode is
// kMemAskHandler; returns one of the modes above (kMemAskHandler: retry and
// ask again on the next failure).
using MemoryExhaustedHandler = int (*)();

// Each call names the caller's source module and line; they appear in the
// diagnostics and in the leak report.
void* MemAllocZeroed(std::size_t size, const char* module, int line);
void* MemAlloc(std::size_t size, const char* module, int line);  // filled with 0xEE
// Size 0 frees `block` and returns null; a null block just allocates.
void* MemRealloc(void* block, std::size_t size, const char* module, int line);
void MemFree(void* block, const char* module, int line);  // null is ignored
char* MemStrdup(const char* text, const char* module, int line);
// Records a different origin for a live block.
void MemSetOrigin(void* block, const char* module, int line);
// `address` must lie inside a live block whose guards are intact.
void MemCheckPointer(const void* address, const char* module, int line);
void MemCheckAll(const char* module, int line);

// Nested initialisation: the outermost MemInit starts a fresh account (counters
// and list cleared); the outermost MemTerm reports every block still live and
// stops the program when there is one. Blocks allocated before the outermost
// MemInit may still be freed afterwards, but are no longer accounted for.
void MemInit();
void MemTerm();

// Any mode outside 0..4 stops the program; kMemAskHandler needs a handler.
void MemSetExhaustedMode(int mode, MemoryExhaustedHandler handler = nullptr);

// The platform allocator underneath: returns `size` zeroed bytes or null.
// Replaceable so that tests can make it fail; null restores calloc. Returns
// the allocator that was in place.
using PlatformAllocator = void* (*)(std::size_t size);
PlatformAllocator MemSetPlatformAllocator(PlatformAllocator allocator);

// Statistics of the live blocks of the current account.
std::size_t MemLiveBlocks();
std::size_t MemBytesInUse();
std::size_t MemPeakBytes();

// A standard allocator over the guarded allocator: containers built with it
// record where they were made, so the leak report and the out-of-memory
// message name a real place in the code.
template <class T>
class GuardedAllocator {
 public:
  using value_type = T;

  GuardedAllocator(SourceLocation where = SourceLocation::current()) noexcept
      : file_(where.file_name()), line_(static_cast<int>(where.line())) {}
  template <class U>
  GuardedAllocator(const GuardedAllocator<U>& other) noexcept
      : file_(other.file()), line_(other.line()), zeroed_blocks_(other.zeroed_blocks()) {}

  // An allocator whose blocks come zeroed from the platform instead of
  // filled with 0xEE, so that elements made without a value need no zeroing
  // pass of their own. For large output buffers: the platform hands out
  // fresh pages already zero and untouched, and a page the caller never
  // writes costs nothing.
  static GuardedAllocator ZeroedBlocks(SourceLocation where) {
    GuardedAllocator allocator(where);
    allocator.zeroed_blocks_ = true;
    return allocator;
  }

  // Elements made without a value (a vector's size constructor or resize)
  // are zeroed; in zeroed blocks they are left as they are. Elements made
  // from a value are left to the standard construction.
  template <class U>
  void construct(U* element) {
    if (zeroed_blocks_) {
      ::new (static_cast<void*>(element)) U;
    } else {
      ::new (static_cast<void*>(element)) U();
    }
  }

  T* allocate(std::size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* block = zeroed_blocks_ ? MemAllocZeroed(count * sizeof(T), file_, line_)
                                 : MemAlloc(count * sizeof(T), file_, line_);
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, std::size_t) noexcept { MemFree(block, file_, line_); }

  const char* file() const noexcept { return file_; }
  int line() const noexcept { return line_; }
  bool zeroed_blocks() const noexcept { return zeroed_blocks_; }

  template <class U>
  bool operator==(const GuardedAllocator<U>&) const noexcept {
    return true;
  }

 private:
  const char* file_;
  int line_;
  bool zeroed_blocks_ = false;
};

// Asks for a ByteBuffer zeroed by its allocation (see ZeroedBlocks).
struct ZeroedByAllocation {};
inline constexpr ZeroedByAllocation kZeroedByAllocation{};

// A byte buffer of the engine: revision texts, deltas, compressed blocks.
//
// A std::vector over the guarded allocator whose constructors record the
// caller's file and line, also for a buffer that starts empty and grows
// later (a plain vector would name the library header instead).
class ByteBuffer : public std::vector<std::uint8_t, GuardedAllocator<std::uint8_t>> {
  using Base = std::vector<std::uint8_t, GuardedAllocator<std::uint8_t>>;
  using Allocator = GuardedAllocator<std::uint8_t>;

 public:
  ByteBuffer(SourceLocation where = SourceLocation::current()) : Base(Allocator(where)) {}
  explicit ByteBuffer(size_type count, SourceLocation where = SourceLocation::current())
      : Base(count, Allocator(where)) {}
  // `count` zero bytes, as above, made faster for large buffers. Growing it
  // again after shrinking it gives back the old bytes, not zeros.
  ByteBuffer(ZeroedByAllocation, size_type count, SourceLocation where = SourceLocation::current())
      : Base(count, Allocator::ZeroedBlocks(where)) {}
  ByteBuffer(size_type count, std::uint8_t value, SourceLocation where = SourceLocation::current())
      : Base(count, value, Allocator(where)) {}
  template <std::input_iterator Iterator>
  ByteBuffer(Iterator first, Iterator last, SourceLocation where = SourceLocation::current())
      : Base(first, last, Allocator(where)) {}
  ByteBuffer(std::initializer_list<std::uint8_t> bytes,
             SourceLocation where = SourceLocation::current())
      : Base(bytes, Allocator(where)) {}
  ByteBuffer(const Base& other) : Base(other) {}
  ByteBuffer(Base&& other) noexcept : Base(std::move(other)) {}

  ByteBuffer(const ByteBuffer&) = default;
  ByteBuffer(ByteBuffer&&) noexcept = default;
  ByteBuffer& operator=(const ByteBuffer&) = default;
  ByteBuffer& operator=(ByteBuffer&&) noexcept = default;
  ~ByteBuffer() = default;
};

}  // namespace tarn
