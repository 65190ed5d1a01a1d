// The engine's guarded allocator.
//
// Every engine data buffer is allocated here with the source module and line
// that asked for it. Blocks carry guard words before and after the data, live
// blocks are kept in a list, guards are checked when a block is freed, new
// blocks are filled with 0xEE and freed ones overwritten with 0xFF. Running out
// of memory follows a settable policy (by default: say so and exit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <source_location>
#include <vector>

namespace tarn {

enum MemoryExhaustedMode : int {
  kMemExit = 0,        // print "Fatal error: out of memory" and exit(1)
  kMemExitQuietly = 1, // exit(1)
  kMemGiveUp = 2,      // the allocation returns null
  kMemAskHandler = 3,  // the handler's result is the mode to act on next
  kMemRetry = 4,       // try again
};
using MemoryExhaustedHandler = int (*)();

void* MemAllocZeroed(std::size_t size, const char* module, int line);
void* MemAlloc(std::size_t size, const char* module, int line);
void* MemRealloc(void* block, std::size_t size, const char* module, int line);
void MemFree(void* block, const char* module, int line);
char* MemStrdup(const char* text, const char* module, int line);
void MemSetOrigin(void* block, const char* module, int line);
void MemCheckPointer(const void* address, const char* module, int line);
void MemCheckAll(const char* module, int line);
void MemInit();
void MemTerm();
void MemSetExhaustedMode(int mode, MemoryExhaustedHandler handler = nullptr);

// Statistics of the live blocks.
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

  GuardedAllocator(std::source_location where = std::source_location::current()) noexcept
      : file_(where.file_name()), line_(static_cast<int>(where.line())) {}
  template <class U>
  GuardedAllocator(const GuardedAllocator<U>& other) noexcept
      : file_(other.file()), line_(other.line()) {}

  T* allocate(std::size_t count) {
    void* block = MemAlloc(count * sizeof(T), file_, line_);
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, std::size_t) noexcept { MemFree(block, file_, line_); }

  const char* file() const noexcept { return file_; }
  int line() const noexcept { return line_; }

  template <class U>
  bool operator==(const GuardedAllocator<U>&) const noexcept { return true; }

 private:
  const char* file_;
  int line_;
};

// A byte buffer of the engine: revision texts, deltas, compressed blocks.
using ByteBuffer = std::vector<std::uint8_t, GuardedAllocator<std::uint8_t>>;

}  // namespace tarn
