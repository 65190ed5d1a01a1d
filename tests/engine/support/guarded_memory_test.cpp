#include "engine/support/guarded_memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/exit_cleanup.h"
#include "platform/lock_file.h"
#include "tests/support/test_support.h"

// The out-of-memory tests ask the platform for more than it has; under
// AddressSanitizer that must come back as null instead of stopping.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace tarn {
namespace {

constexpr std::size_t kHuge = std::size_t{1} << 62;

std::uint8_t* Bytes(void* block) { return static_cast<std::uint8_t*>(block); }

bool AllBytesAre(const void* block, std::size_t size, std::uint8_t value) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != value) return false;
  }
  return true;
}

class GuardedMemory : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  void TearDown() override {
    MemSetExhaustedMode(kMemExit);
    MemSetPlatformAllocator(nullptr);
  }
};

TEST_F(GuardedMemory, NewBlocksAreFilledOrZeroed) {
  const std::size_t live = MemLiveBlocks();
  void* filled = MemAlloc(10, "test", 1);
  void* zeroed = MemAllocZeroed(10, "test", 2);
  ASSERT_NE(filled, nullptr);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_TRUE(AllBytesAre(filled, 10, 0xEE));
  EXPECT_TRUE(AllBytesAre(zeroed, 10, 0x00));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(filled) % 16, 0u);
  EXPECT_EQ(MemLiveBlocks(), live + 2);
  MemFree(filled, "test", 3);
  MemFree(zeroed, "test", 4);
  EXPECT_EQ(MemLiveBlocks(), live);
}

TEST_F(GuardedMemory, BytesInUseAndPeakFollowTheLiveBlocks) {
  MemInit();
  void* a = MemAlloc(100, "test", 1);
  void* b = MemAlloc(50, "test", 2);
  EXPECT_EQ(MemBytesInUse(), 150u);
  MemFree(a, "test", 3);
  EXPECT_EQ(MemBytesInUse(), 50u);
  EXPECT_EQ(MemPeakBytes(), 150u);
  MemFree(b, "test", 4);
  EXPECT_EQ(MemBytesInUse(), 0u);
  MemTerm();
}

TEST_F(GuardedMemory, ReallocKeepsTheSmallerSizeAndFreesAtZero) {
  const std::size_t live = MemLiveBlocks();
  auto* block = Bytes(MemAlloc(100, "test", 1));
  for (int i = 0; i < 100; ++i) block[i] = static_cast<std::uint8_t>(i);

  auto* shrunk = Bytes(MemRealloc(block, 40, "test", 2));
  ASSERT_NE(shrunk, nullptr);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(shrunk[i], i);
  EXPECT_EQ(MemLiveBlocks(), live + 1);

  auto* grown = Bytes(MemRealloc(shrunk, 60, "test", 3));
  ASSERT_NE(grown, nullptr);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(grown[i], i);
  EXPECT_TRUE(AllBytesAre(grown + 40, 20, 0xEE));

  EXPECT_EQ(MemRealloc(grown, 0, "test", 4), nullptr);
  EXPECT_EQ(MemLiveBlocks(), live);

  void* fresh = MemRealloc(nullptr, 8, "test", 5);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(MemLiveBlocks(), live + 1);
  MemFree(fresh, "test", 6);
}

TEST_F(GuardedMemory, FreeingNullDoesNothing) {
  const std::size_t live = MemLiveBlocks();
  MemFree(nullptr, "test", 1);
  EXPECT_EQ(MemLiveBlocks(), live);
}

TEST_F(GuardedMemory, DuplicatesTexts) {
  char* copy = MemStrdup("tarn", "test", 1);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "tarn");
  MemFree(copy, "test", 2);
}

TEST_F(GuardedMemory, GiveUpModeReturnsNull) {
  MemSetExhaustedMode(kMemGiveUp);
  const std::size_t live = MemLiveBlocks();
  EXPECT_EQ(MemAlloc(kHuge, "test", 1), nullptr);
  EXPECT_EQ(MemAllocZeroed(kHuge, "test", 2), nullptr);
  EXPECT_EQ(MemAlloc(SIZE_MAX, "test", 3), nullptr);  // size + overhead would wrap
  EXPECT_EQ(MemLiveBlocks(), live);

  // A failed reallocation leaves the old block as it was.
  auto* block = Bytes(MemAlloc(4, "test", 4));
  block[0] = 42;
  EXPECT_EQ(MemRealloc(block, kHuge, "test", 5), nullptr);
  EXPECT_EQ(block[0], 42);
  MemFree(block, "test", 6);

  EXPECT_THROW(ByteBuffer huge(kHuge), std::bad_alloc);
}

int g_failures_left = 0;
int g_platform_calls = 0;
void* FailingAllocator(std::size_t size) {
  ++g_platform_calls;
  if (g_failures_left > 0) {
    --g_failures_left;
    return nullptr;
  }
  return std::calloc(1, size);
}

TEST_F(GuardedMemory, RetryModeTriesUntilThePlatformDelivers) {
  g_failures_left = 3;
  g_platform_calls = 0;
  MemSetPlatformAllocator(FailingAllocator);
  MemSetExhaustedMode(kMemRetry);
  void* block = MemAlloc(16, "test", 1);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(g_platform_calls, 4);
  EXPECT_TRUE(AllBytesAre(block, 16, 0xEE));
  MemFree(block, "test", 2);
}

void* NoMemory(std::size_t) { return nullptr; }

int g_handler_calls = 0;
int RetryTwiceThenGiveUp() {
  ++g_handler_calls;
  return g_handler_calls <= 2 ? kMemRetry : kMemGiveUp;
}
int AlwaysRetry() {
  ++g_handler_calls;
  return kMemRetry;
}
int BadAnswer() { return 7; }

TEST_F(GuardedMemory, HandlerModeAsksTheHandlerOnEveryFailure) {
  g_handler_calls = 0;
  MemSetExhaustedMode(kMemAskHandler, RetryTwiceThenGiveUp);
  EXPECT_EQ(MemAlloc(kHuge, "test", 1), nullptr);
  EXPECT_EQ(g_handler_calls, 3);

  // A retry that succeeds ends the asking.
  g_handler_calls = 0;
  g_failures_left = 1;
  MemSetPlatformAllocator(FailingAllocator);
  MemSetExhaustedMode(kMemAskHandler, AlwaysRetry);
  void* block = MemAlloc(8, "test", 2);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(g_handler_calls, 1);
  MemFree(block, "test", 3);
}

TEST_F(GuardedMemory, HandlerModeStopsOnMissingHandlerOrBadAnswer) {
  EXPECT_DEATH(
      {
        MemSetExhaustedMode(kMemAskHandler, nullptr);
        MemAlloc(kHuge, "test", 1);
      },
      "Assertion failure: 'fp' on line [0-9]+ in file 'guarded_memory.cpp'");
  EXPECT_DEATH(
      {
        MemSetExhaustedMode(kMemAskHandler, BadAnswer);
        MemAlloc(kHuge, "test", 1);
      },
      "Assertion failure: '0 <= flag && flag <= MEM_RETRY'");
  EXPECT_DEATH(MemSetExhaustedMode(5), "Assertion failure: '0 <= flag && flag <= MEM_RETRY'");
  EXPECT_DEATH(MemSetExhaustedMode(-1), "'0 <= flag && flag <= MEM_RETRY'");
}

// An exit for want of memory says so where errors go (message 138 with the
// place that asked) and leaves no lock file or registered file behind.
TEST_F(GuardedMemory, ExitModesReportOnStandardErrorCleanUpAndEndWithCodeOne) {
  testing::LoadCatalogue();
  // The child must see this process's scratch directory: fork without exec.
  GTEST_FLAG_SET(death_test_style, "fast");
  const testing::TempDir dir;
  const std::string lock_path = dir.File("$ain.d");
  const std::string temporary = dir.File("TARN0001");
  const auto run_out_of_memory = [&](int mode) {
    std::optional<platform::LockFile> lock = platform::LockFile::TryAcquire(lock_path);
    testing::WriteText(temporary, "revision text");
    const platform::RemoveOnEarlyExit registered(temporary);
    if (!lock) std::_Exit(7);
    MemSetPlatformAllocator(NoMemory);
    MemSetExhaustedMode(mode);
    MemAlloc(10, "test", 1);
  };
  EXPECT_EXIT(run_out_of_memory(kMemExit), ::testing::ExitedWithCode(1),
              "out of memory \\(test, line 1\\)");
  EXPECT_FALSE(std::filesystem::exists(lock_path));
  EXPECT_FALSE(std::filesystem::exists(temporary));
  EXPECT_EXIT(run_out_of_memory(kMemExitQuietly), ::testing::ExitedWithCode(1), "^$");
  EXPECT_FALSE(std::filesystem::exists(lock_path));
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(GuardedMemory, OverrunIsReportedWithTheAllocatingPlace) {
  EXPECT_DEATH(
      {
        auto* block = Bytes(MemAlloc(10, "overrun_module", 41));
        block[10] = 'X';
        MemFree(block, "freeing_module", 9);
      },
      "Pointer x[0-9a-f]+ overrun\n"
      "alloc'd from file 'overrun_module' line 41 counter [0-9]+ nbytes 10 ptr [0-9a-fx]+\n"
      "free'd from File 'freeing_module' line 9\n"
      "Assertion failure: '.*' on line [0-9]+ in file 'guarded_memory.cpp'");
}

TEST_F(GuardedMemory, UnderrunIsReportedWithBothPlaces) {
  EXPECT_DEATH(
      {
        auto* block = Bytes(MemAlloc(10, "underrun_module", 52));
        block[-1] = 'X';
        MemFree(block, "freeing_module", 8);
      },
      "Pointer x[0-9a-f]+ underrun\n"
      "'freeing_module'\\(8\\)\n"
      "alloc'd from file 'underrun_module' line 52 counter [0-9]+ nbytes 10 ptr [0-9a-fx]+\n"
      "free'd from File 'freeing_module' line 8\n");
}

TEST_F(GuardedMemory, DoubleFreeStopsWithoutTouchingFreedMemory) {
  EXPECT_DEATH(
      {
        void* other = MemAlloc(1, "test", 1);
        void* block = MemAlloc(10, "test", 2);
        MemFree(block, "first_free", 3);
        MemFree(block, "second_free", 4);
        MemFree(other, "test", 5);
      },
      "Pointer x[0-9a-f]+ is not a live block.*\n"
      "free'd from File 'second_free' line 4\n");
  EXPECT_DEATH(
      {
        MemInit();
        void* block = MemAlloc(10, "test", 2);
        MemFree(block, "first_free", 3);
        MemFree(block, "second_free", 4);
      },
      "More frees than allocs at free'd from File 'second_free' line 4\n");
  EXPECT_DEATH(
      {
        static std::uint8_t foreign[64];
        MemFree(foreign + 32, "foreign_free", 6);
      },
      "free'd from File 'foreign_free' line 6");
}

TEST_F(GuardedMemory, CheckPointerAcceptsInteriorAddressesOfIntactBlocks) {
  auto* block = Bytes(MemAlloc(10, "test", 1));
  MemCheckPointer(block, "test", 2);
  MemCheckPointer(block + 9, "test", 3);
  MemCheckAll("test", 4);
  EXPECT_DEATH(MemCheckPointer(block + 10, "checker", 5), "not in any live block");
  EXPECT_DEATH(
      {
        block[10] = 0;
        MemCheckAll("checker", 6);
      },
      "alloc'd from file 'test' line 1 .*free'd from File 'checker' line 6");
  MemFree(block, "test", 7);
}

TEST_F(GuardedMemory, TermReportsEveryUnfreedBlock) {
  EXPECT_DEATH(
      {
        MemInit();
        MemAlloc(5, "leaky_module", 77);
        MemAlloc(6, "leaky_module", 78);
        MemTerm();
      },
      "Unfreed pointer: alloc'd from file 'leaky_module' line 78 counter 2 nbytes 6 ptr .*\n"
      "Unfreed pointer: alloc'd from file 'leaky_module' line 77 counter 1 nbytes 5 ptr .*\n"
      "Assertion failure: 'mem_numalloc == 0'");
  EXPECT_DEATH(MemTerm(), "Assertion failure: 'mem_inited >= 0'");
}

TEST_F(GuardedMemory, NestedInitialisationReportsOnlyAtTheOutermostTerm) {
  void* before = MemAlloc(3, "test", 1);  // belongs to no account once MemInit starts one
  MemInit();
  EXPECT_EQ(MemLiveBlocks(), 0u);
  EXPECT_EQ(MemBytesInUse(), 0u);
  MemInit();
  void* inner = MemAlloc(8, "test", 2);
  MemTerm();  // inner level: no report, the block stays live
  EXPECT_EQ(MemLiveBlocks(), 1u);
  MemFree(inner, "test", 3);
  MemFree(before, "test", 4);  // still a valid free; not counted against the account
  EXPECT_EQ(MemLiveBlocks(), 0u);
  MemTerm();
}

// Buffers made at a known line of this file.
struct MadeBuffer {
  std::unique_ptr<ByteBuffer> buffer;
  int line;
};
MadeBuffer MakeEmptyBuffer() { return {std::unique_ptr<ByteBuffer>(new ByteBuffer), __LINE__}; }
MadeBuffer MakeSizedBuffer() {
  return {std::unique_ptr<ByteBuffer>(new ByteBuffer(9, 0x41)), __LINE__};
}

std::string ReportOf(int line, int size) {
  return "Unfreed pointer: alloc'd from file '[^']*guarded_memory_test.cpp' line " +
         std::to_string(line) + " counter 1 nbytes " + std::to_string(size) + " ";
}

TEST_F(GuardedMemory, ByteBufferNamesTheLineThatMadeIt) {
  // The leak report names the place the buffer was constructed, also when it
  // grows only later.
  const int empty_line = MakeEmptyBuffer().line;
  const int sized_line = MakeSizedBuffer().line;
  EXPECT_DEATH(
      {
        MemInit();
        MadeBuffer made = MakeEmptyBuffer();
        made.buffer->resize(7);
        MemTerm();
      },
      ReportOf(empty_line, 7));
  EXPECT_DEATH(
      {
        MemInit();
        MadeBuffer made = MakeSizedBuffer();
        MemTerm();
      },
      ReportOf(sized_line, 9));
}

TEST_F(GuardedMemory, ByteBufferBehavesAsAVectorAndFreesItsBlocks) {
  MemInit();
  {
    ByteBuffer buffer{1, 2, 3};
    buffer.push_back(4);
    ByteBuffer copy = buffer;
    ByteBuffer moved = std::move(copy);
    ByteBuffer range(buffer.begin() + 1, buffer.end());
    EXPECT_EQ(moved, buffer);
    EXPECT_EQ(range.size(), 3u);
    EXPECT_EQ(range[0], 2);
    EXPECT_GE(MemLiveBlocks(), 3u);
  }
  EXPECT_EQ(MemLiveBlocks(), 0u);
  MemTerm();
}

TEST_F(GuardedMemory, SizedBuffersAreZeroedHoweverTheyAreMade) {
  MemInit();
  {
    ByteBuffer zeroed(40);
    zeroed.resize(90);
    EXPECT_EQ(zeroed, ByteBuffer(90, 0x00));
    // Zeroed by the allocation: the same bytes, also after growing into a
    // new block.
    ByteBuffer fast(kZeroedByAllocation, 40);
    EXPECT_EQ(fast, ByteBuffer(40, 0x00));
    std::fill(fast.begin(), fast.end(), std::uint8_t{7});
    fast.resize(5000);
    EXPECT_EQ(fast[39], 7);
    EXPECT_EQ(fast[40], 0x00);
    EXPECT_EQ(fast[4999], 0x00);
    // Taken over by an ordinary buffer, which grows with zeros as ever.
    ByteBuffer taker;
    taker.swap(fast);
    taker.resize(60);
    taker.resize(70);
    EXPECT_EQ(taker[65], 0x00);
    // Plain allocations still carry the 0xEE fill underneath.
    void* raw = MemAlloc(8, "test", 1);
    EXPECT_EQ(static_cast<std::uint8_t*>(raw)[7], 0xEE);
    MemFree(raw, "test", 2);
  }
  EXPECT_EQ(MemLiveBlocks(), 0u);
  MemTerm();
}

}  // namespace
}  // namespace tarn
