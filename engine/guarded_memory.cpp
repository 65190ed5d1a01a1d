#include "engine/guarded_memory.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarn {
namespace {

// Block layout (data handed out at kHeaderSize):
//   next block, link to this block, module, line, serial, size, "BEFO" | data | "AFTE" | spare
struct BlockHeader {
  BlockHeader* next;
  BlockHeader** link;
  const char* module;
  int line;
  long serial;
  std::size_t size;
  char front_guard[4];
};

constexpr char kFrontGuard[4] = {'B', 'E', 'F', 'O'};
constexpr char kBackGuard[4] = {'A', 'F', 'T', 'E'};
constexpr std::size_t kDataOffset = sizeof(BlockHeader);
constexpr std::size_t kOverhead = kDataOffset + sizeof kBackGuard + 1;

struct MemoryState {
  BlockHeader* head = nullptr;
  long serial = 0;
  std::size_t live_blocks = 0;
  std::size_t bytes_in_use = 0;
  std::size_t peak_bytes = 0;
  int mode = kMemExit;
  MemoryExhaustedHandler handler = nullptr;
  int init_depth = 0;
};

MemoryState& State() {
  static MemoryState state;
  return state;
}

std::uint8_t* DataOf(BlockHeader* block) { return reinterpret_cast<std::uint8_t*>(block) + kDataOffset; }

BlockHeader* BlockOf(const void* data) {
  return reinterpret_cast<BlockHeader*>(const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(data)) - kDataOffset);
}

[[noreturn]] void Stop(const char* expression, int line) {
  std::fprintf(stderr, "Assertion failure: '%s' on line %d in file '%s'\n", expression, line, "guarded_memory");
  std::fflush(stderr);
  std::abort();
}

void BlockReport(const BlockHeader* block) {
  std::fprintf(stderr, "alloc'd from file '%s' line %d counter %ld nbytes %zu ptr %p\n", block->module,
               block->line, block->serial, block->size, static_cast<const void*>(DataOf(const_cast<BlockHeader*>(block))));
}

// Asks the platform for a zeroed block, following the exhausted-memory mode.
void* RawAllocate(std::size_t total) {
  MemoryState& state = State();
  int mode = state.mode;
  while (true) {
    if (void* raw = std::calloc(1, total)) return raw;
    if (mode == kMemAskHandler) {
      if (state.handler == nullptr) Stop("fp", __LINE__);
      mode = state.handler();
      if (mode < kMemExit || mode > kMemRetry) Stop("0 <= flag && flag <= MEM_RETRY", __LINE__);
      if (mode == kMemAskHandler) continue;
    }
    switch (mode) {
      case kMemExit:
        std::fputs("Fatal error: out of memory\r\n", stdout);
        std::fflush(stdout);
        std::exit(1);
      case kMemExitQuietly:
        std::exit(1);
      case kMemGiveUp:
        return nullptr;
      default:
        break;  // retry
    }
  }
}

[[noreturn]] void FreeFailure(const char* module, int line) {
  std::fprintf(stderr, "free'd from ");
  std::fprintf(stderr, "File '%s' line %d\n", module, line);
  Stop("valid free", line);
}

}  // namespace

void* MemAllocZeroed(std::size_t size, const char* module, int line) {
  if (size > SIZE_MAX - kOverhead) return nullptr;
  void* raw = RawAllocate(size + kOverhead);
  if (raw == nullptr) return nullptr;
  MemoryState& state = State();
  auto* block = static_cast<BlockHeader*>(raw);
  block->module = module;
  block->line = line;
  block->serial = ++state.serial;
  block->size = size;
  std::memcpy(block->front_guard, kFrontGuard, sizeof kFrontGuard);
  std::memcpy(DataOf(block) + size, kBackGuard, sizeof kBackGuard);
  block->next = state.head;
  block->link = &state.head;
  if (state.head != nullptr) state.head->link = &block->next;
  state.head = block;
  ++state.live_blocks;
  state.bytes_in_use += size;
  if (state.bytes_in_use > state.peak_bytes) state.peak_bytes = state.bytes_in_use;
  return DataOf(block);
}

void* MemAlloc(std::size_t size, const char* module, int line) {
  void* data = MemAllocZeroed(size, module, line);
  if (data != nullptr) std::memset(data, 0xEE, size);
  return data;
}

void* MemRealloc(void* block, std::size_t size, const char* module, int line) {
  if (size == 0) {
    MemFree(block, module, line);
    return nullptr;
  }
  void* fresh = MemAlloc(size, module, line);
  if (fresh == nullptr || block == nullptr) return fresh;
  const std::size_t old_size = BlockOf(block)->size;
  std::memcpy(fresh, block, old_size < size ? old_size : size);
  MemFree(block, module, line);
  return fresh;
}

void MemFree(void* data, const char* module, int line) {
  if (data == nullptr) return;
  MemoryState& state = State();
  if (state.live_blocks == 0) {
    std::fprintf(stderr, "More frees than allocs at ");
    FreeFailure(module, line);
  }
  BlockHeader* block = BlockOf(data);
  if (std::memcmp(block->front_guard, kFrontGuard, sizeof kFrontGuard) != 0) {
    std::fprintf(stderr, "Pointer x%lx underrun\n", reinterpret_cast<unsigned long>(data));
    std::fprintf(stderr, "'%s'(%d)\n", module, line);
    BlockReport(block);
    FreeFailure(module, line);
  }
  if (std::memcmp(DataOf(block) + block->size, kBackGuard, sizeof kBackGuard) != 0) {
    std::fprintf(stderr, "Pointer x%lx overrun\n", reinterpret_cast<unsigned long>(data));
    BlockReport(block);
    FreeFailure(module, line);
  }
  if (block->size > state.bytes_in_use) {
    std::fprintf(stderr, "error: mem_numalloc = %ld, dl->nbytes = %zu\n",
                 static_cast<long>(state.bytes_in_use), block->size);
    BlockReport(block);
    FreeFailure(module, line);
  }
  state.bytes_in_use -= block->size;
  *block->link = block->next;
  if (block->next != nullptr) block->next->link = block->link;
  --state.live_blocks;
  std::memset(block, 0xFF, kDataOffset + block->size);
  std::free(block);
}

char* MemStrdup(const char* text, const char* module, int line) {
  const std::size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(MemAlloc(length + 1, module, line));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

void MemSetOrigin(void* data, const char* module, int line) {
  if (data == nullptr) return;
  BlockHeader* block = BlockOf(data);
  block->module = module;
  block->line = line;
}

void MemCheckPointer(const void* address, const char* module, int line) {
  const auto* target = static_cast<const std::uint8_t*>(address);
  for (BlockHeader* block = State().head; block != nullptr; block = block->next) {
    const std::uint8_t* start = DataOf(block);
    if (target >= start && target < start + block->size + (block->size == 0 ? 1 : 0)) {
      if (std::memcmp(block->front_guard, kFrontGuard, 4) != 0 ||
          std::memcmp(start + block->size, kBackGuard, 4) != 0) {
        BlockReport(block);
        FreeFailure(module, line);
      }
      return;
    }
  }
  std::fprintf(stderr, "Pointer %p is not in any live block\n", address);
  FreeFailure(module, line);
}

void MemCheckAll(const char* module, int line) {
  for (BlockHeader* block = State().head; block != nullptr; block = block->next) {
    MemCheckPointer(DataOf(block), module, line);
  }
}

void MemInit() {
  MemoryState& state = State();
  if (state.init_depth++ == 0) {
    state.serial = 0;
    state.peak_bytes = state.bytes_in_use;
  }
}

void MemTerm() {
  MemoryState& state = State();
  if (--state.init_depth < 0) Stop("mem_inited >= 0", __LINE__);
  if (state.init_depth > 0) return;
  for (BlockHeader* block = state.head; block != nullptr; block = block->next) {
    std::fprintf(stderr, "Unfreed pointer: ");
    BlockReport(block);
  }
  if (state.head != nullptr) Stop("mem_numalloc == 0", __LINE__);
}

void MemSetExhaustedMode(int mode, MemoryExhaustedHandler handler) {
  if (mode < kMemExit || mode > kMemRetry) Stop("0 <= flag && flag <= MEM_RETRY", __LINE__);
  State().mode = mode;
  State().handler = handler;
}

std::size_t MemLiveBlocks() { return State().live_blocks; }
std::size_t MemBytesInUse() { return State().bytes_in_use; }
std::size_t MemPeakBytes() { return State().peak_bytes; }

}  // namespace tarn
