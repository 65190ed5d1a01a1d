#include "engine/support/guarded_memory.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "engine/support/report.h"
#include "platform/exit_cleanup.h"

namespace tarn {
namespace {

// Block layout, data handed out at kDataOffset:
//   next, link to this block, module, serial, size, line, account, padding,
//   "BEFO" | data | "AFTE" | spare
// The front guard sits directly before the data, and the data starts on a
// 16-byte boundary like any platform allocation.
struct BlockHeader {
  BlockHeader* next;
  BlockHeader** link;  // the list head or the previous block's `next`
  const char* module;
  long serial;
  std::size_t size;
  int line;
  unsigned account;  // the MemInit account the block belongs to
  char padding[12];
  char front_guard[4];
};

constexpr char kFrontGuard[4] = {'B', 'E', 'F', 'O'};
constexpr char kBackGuard[4] = {'A', 'F', 'T', 'E'};
constexpr std::size_t kDataOffset = sizeof(BlockHeader);
constexpr std::size_t kOverhead = kDataOffset + sizeof kBackGuard + 1;
static_assert(kDataOffset % 16 == 0);
static_assert(offsetof(BlockHeader, front_guard) + sizeof kFrontGuard == kDataOffset);

void* PlatformCalloc(std::size_t size) { return std::calloc(1, size); }

struct MemoryState {
  BlockHeader* head = nullptr;
  long serial = 0;
  std::size_t live_blocks = 0;
  std::size_t bytes_in_use = 0;
  std::size_t peak_bytes = 0;
  int mode = kMemExit;
  MemoryExhaustedHandler handler = nullptr;
  PlatformAllocator platform = PlatformCalloc;
  int init_depth = 0;
  unsigned account = 0;
  // Data addresses of every block not yet freed, of any account. A free is
  // checked against it before the block's memory is touched, so a double
  // free or a foreign address is diagnosed instead of reading freed memory.
  std::unordered_set<const void*> registered;
  // The engine is single-threaded; the lock only keeps tests that allocate
  // from several threads from corrupting the list. Recursive, because the
  // exhausted-memory handler may free blocks.
  std::recursive_mutex lock;
};

MemoryState& State() {
  static MemoryState* state = new MemoryState;  // never destroyed: blocks may outlive statics
  return *state;
}

const char* BaseName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

[[noreturn]] void Stop(const char* expression, unsigned line) {
  std::fprintf(stderr, "Assertion failure: '%s' on line %u in file '%s'\n", expression, line,
               BaseName(__FILE__));
  std::fflush(stderr);
  platform::RunEarlyExitCleanup();
  std::abort();
}

std::uint8_t* DataOf(BlockHeader* block) {
  return reinterpret_cast<std::uint8_t*>(block) + kDataOffset;
}

BlockHeader* BlockOf(const void* data) {
  auto* bytes = const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(data));
  return reinterpret_cast<BlockHeader*>(bytes - kDataOffset);
}

unsigned long AddressValue(const void* data) {
  return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(data));
}

void BlockReport(BlockHeader* block) {
  std::fprintf(stderr, "alloc'd from file '%s' line %d counter %ld nbytes %zu ptr %p\n",
               block->module, block->line, block->serial, block->size,
               static_cast<void*>(DataOf(block)));
}

bool GuardsIntact(BlockHeader* block) {
  return std::memcmp(block->front_guard, kFrontGuard, sizeof kFrontGuard) == 0 &&
         std::memcmp(DataOf(block) + block->size, kBackGuard, sizeof kBackGuard) == 0;
}

[[noreturn]] void FreeFailure(const char* module, int line) {
  std::fprintf(stderr, "free'd from ");
  std::fprintf(stderr, "File '%s' line %d\n", module, line);
  std::fflush(stderr);
  Stop("block is live and intact", __LINE__);
}

// What to do about one failed platform allocation.
int ActionOnExhaustion(MemoryState& state) {
  if (state.mode != kMemAskHandler) return state.mode;
  if (state.handler == nullptr) Stop("fp", __LINE__);
  const int action = state.handler();
  if (action < kMemExit || action > kMemRetry) Stop("0 <= flag && flag <= MEM_RETRY", __LINE__);
  return action;
}

// Asks the platform for `size` + overhead zeroed bytes, following the
// exhausted-memory mode; null when the mode gives up.
void* RawAllocate(MemoryState& state, std::size_t size, const char* module, int line) {
  while (true) {
    void* raw = size <= SIZE_MAX - kOverhead ? state.platform(size + kOverhead) : nullptr;
    if (raw != nullptr) return raw;
    switch (ActionOnExhaustion(state)) {
      case kMemExit:
        // Where errors go, with the place that asked; then, like every
        // early exit, no lock file or temporary file may stay behind.
        Report(kAlert, msg::kOutOfMemory, std::string_view(BaseName(module)), line);
        platform::RunEarlyExitCleanup();
        std::exit(1);
      case kMemExitQuietly:
        platform::RunEarlyExitCleanup();
        std::exit(1);
      case kMemGiveUp:
        return nullptr;
      default:  // retry; under kMemAskHandler the handler is asked again
        break;
    }
  }
}

// The block of `data`; stops the program when `data` is not the start of a
// block that is still allocated.
BlockHeader* RegisteredBlock(MemoryState& state, const void* data, const char* module, int line) {
  if (state.registered.contains(data)) return BlockOf(data);
  if (state.live_blocks == 0) {
    std::fprintf(stderr, "More frees than allocs at ");
  } else {
    std::fprintf(stderr, "Pointer x%lx is not a live block (freed before, or never allocated)\n",
                 AddressValue(data));
  }
  FreeFailure(module, line);
}

// Takes a block of the current account out of the list.
void Unlink(MemoryState& state, BlockHeader* block) {
  *block->link = block->next;
  if (block->next != nullptr) block->next->link = block->link;
  --state.live_blocks;
  state.bytes_in_use -= block->size;
}

}  // namespace

void* MemAllocZeroed(std::size_t size, const char* module, int line) {
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  void* raw = RawAllocate(state, size, module, line);
  if (raw == nullptr) return nullptr;
  auto* block = static_cast<BlockHeader*>(raw);
  try {
    state.registered.insert(DataOf(block));
  } catch (const std::bad_alloc&) {
    std::free(raw);
    return nullptr;
  }
  block->module = module;
  block->line = line;
  block->serial = ++state.serial;
  block->size = size;
  block->account = state.account;
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
  std::size_t old_size;
  {
    MemoryState& state = State();
    std::lock_guard guard(state.lock);
    old_size = RegisteredBlock(state, block, module, line)->size;
  }
  std::memcpy(fresh, block, old_size < size ? old_size : size);
  MemFree(block, module, line);
  return fresh;
}

void MemFree(void* data, const char* module, int line) {
  if (data == nullptr) return;
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  BlockHeader* block = RegisteredBlock(state, data, module, line);
  if (std::memcmp(block->front_guard, kFrontGuard, sizeof kFrontGuard) != 0) {
    std::fprintf(stderr, "Pointer x%lx underrun\n", AddressValue(data));
    std::fprintf(stderr, "'%s'(%d)\n", module, line);
    BlockReport(block);
    FreeFailure(module, line);
  }
  if (std::memcmp(DataOf(block) + block->size, kBackGuard, sizeof kBackGuard) != 0) {
    std::fprintf(stderr, "Pointer x%lx overrun\n", AddressValue(data));
    BlockReport(block);
    FreeFailure(module, line);
  }
  const bool current_account = block->account == state.account;
  if (current_account && block->size > state.bytes_in_use) {
    std::fprintf(stderr, "error: mem_numalloc = %ld, dl->nbytes = %zu\n",
                 static_cast<long>(state.bytes_in_use), block->size);
    BlockReport(block);
    FreeFailure(module, line);
  }
  // Blocks of an earlier account were dropped from the list when it was
  // cleared; they are only released.
  if (current_account) Unlink(state, block);
  state.registered.erase(data);
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
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  BlockHeader* block = RegisteredBlock(state, data, module, line);
  block->module = module;
  block->line = line;
}

void MemCheckPointer(const void* address, const char* module, int line) {
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  const auto* target = static_cast<const std::uint8_t*>(address);
  for (BlockHeader* block = state.head; block != nullptr; block = block->next) {
    const std::uint8_t* start = DataOf(block);
    // An empty block still owns its start address.
    const std::size_t extent = block->size == 0 ? 1 : block->size;
    if (target < start || target >= start + extent) continue;
    if (!GuardsIntact(block)) {
      std::fprintf(stderr, "Pointer x%lx: guards of its block are damaged\n",
                   AddressValue(address));
      BlockReport(block);
      FreeFailure(module, line);
    }
    return;
  }
  std::fprintf(stderr, "Pointer x%lx is not in any live block\n", AddressValue(address));
  FreeFailure(module, line);
}

void MemCheckAll(const char* module, int line) {
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  for (BlockHeader* block = state.head; block != nullptr; block = block->next) {
    MemCheckPointer(DataOf(block), module, line);
  }
}

void MemInit() {
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  if (state.init_depth++ > 0) return;
  // A fresh account: whatever was allocated before no longer counts.
  ++state.account;
  state.head = nullptr;
  state.serial = 0;
  state.live_blocks = 0;
  state.bytes_in_use = 0;
  state.peak_bytes = 0;
}

void MemTerm() {
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
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
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  state.mode = mode;
  state.handler = handler;
}

PlatformAllocator MemSetPlatformAllocator(PlatformAllocator allocator) {
  MemoryState& state = State();
  std::lock_guard guard(state.lock);
  const PlatformAllocator previous = state.platform;
  state.platform = allocator != nullptr ? allocator : PlatformCalloc;
  return previous;
}

std::size_t MemLiveBlocks() {
  std::lock_guard guard(State().lock);
  return State().live_blocks;
}
std::size_t MemBytesInUse() {
  std::lock_guard guard(State().lock);
  return State().bytes_in_use;
}
std::size_t MemPeakBytes() {
  std::lock_guard guard(State().lock);
  return State().peak_bytes;
}

}  // namespace tarn
