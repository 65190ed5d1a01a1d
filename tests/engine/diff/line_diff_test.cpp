// The comparison's worked examples: the expected delta records are written
// out by hand from the record layout; the file form, its messages and its
// failures; memory exhaustion at every allocation.
#include "engine/diff/line_diff.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/format/delta_format.h"
#include "engine/support/guarded_memory.h"
#include "platform/error_text.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::span<const std::uint8_t> View(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void PutI32(Bytes& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

// One record: kind, position, removed, inserted (all little-endian), bytes.
Bytes Record(std::int16_t kind, std::int32_t position, std::int32_t removed, std::int32_t inserted,
             const std::string& bytes = "") {
  Bytes out = {static_cast<std::uint8_t>(kind), 0};
  PutI32(out, position);
  PutI32(out, removed);
  PutI32(out, inserted);
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Bytes Records(std::initializer_list<Bytes> records) {
  Bytes out;
  for (const Bytes& record : records) out.insert(out.end(), record.begin(), record.end());
  return out;
}

class LineDiff : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  // Compares and checks the result and the delta, then applies it.
  void ExpectDelta(const std::string& source, const std::string& target, const Bytes& expected,
                   char separator = '\n') {
    ByteBuffer delta;
    const int result =
        CompareBuffers(View(source), View(target), static_cast<std::uint8_t>(separator), delta);
    EXPECT_EQ(result, expected.empty() ? 0 : 1);
    EXPECT_EQ(Bytes(delta.begin(), delta.end()), expected);
    if (result == 1) {
      ByteBuffer rebuilt;
      ASSERT_EQ(ApplyDelta(View(source), delta, rebuilt), 1);
      EXPECT_EQ(std::string(rebuilt.begin(), rebuilt.end()), target);
    }
  }

  testing::RecordingHost host_;
};

TEST_F(LineDiff, IdenticalTextsCompareEqual) {
  ExpectDelta("one\ntwo\n", "one\ntwo\n", {});
  ExpectDelta("", "", {});
}

TEST_F(LineDiff, AMissingFinalSeparatorAloneIsNoDifference) {
  ExpectDelta("one\ntwo", "one\ntwo\n", {});
  ExpectDelta("one\ntwo\n", "one\ntwo", {});
}

TEST_F(LineDiff, OneLetterChangedInALineOfTwentySixGivesAOneByteReplace) {
  ExpectDelta("abcdefghijklmnopqrstuvwxyz\n", "abcdefghijklMnopqrstuvwxyz\n",
              Record(2, 12, 1, 1, "M"));
}

TEST_F(LineDiff, FifteenEqualBytesSplitAReplace) {
  const std::string line = "0123456789ABCDEFGHIJKLMNOPQRSTUV\n";
  // Changes at 5 and 21: 15 equal bytes between them.
  std::string apart = line;
  apart[5] = 'x';
  apart[21] = 'y';
  ExpectDelta(line, apart, Records({Record(2, 5, 1, 1, "x"), Record(2, 21, 1, 1, "y")}));
  // Changes at 5 and 20: 14 equal bytes between them stay inside one record.
  std::string close = line;
  close[5] = 'x';
  close[20] = 'y';
  ExpectDelta(line, close, Record(2, 5, 16, 16, "x6789ABCDEFGHIJy"));
}

TEST_F(LineDiff, AppendingLinesInsertsAtTheSourceLength) {
  ExpectDelta("a\nb\n", "a\nb\nc\nd\n", Record(0, 4, 0, 4, "c\nd\n"));
}

TEST_F(LineDiff, DeletedLinesGiveADeleteWithInsertedLengthZero) {
  ExpectDelta("a\nb\nc\n", "a\nc\n", Record(1, 2, 2, 0));
}

TEST_F(LineDiff, InsertedLinesInTheMiddle) {
  ExpectDelta("a\nb\n", "a\nnew\nb\n", Record(0, 2, 0, 4, "new\n"));
}

TEST_F(LineDiff, DeletingTheUnterminatedLastLineLeavesTheAppendedSeparatorOut) {
  ExpectDelta("a\nb", "a\n", Record(1, 2, 1, 0));
  ExpectDelta("a\nb", "a", Record(1, 1, 2, 0));
}

TEST_F(LineDiff, LinesAddedBehindAnUnterminatedSourceLineBringTheirSeparator) {
  ExpectDelta("a\nb", "a\nb\nc\n", Record(0, 3, 0, 3, "\nc\n"));
  ExpectDelta("a\nb", "a\nb\nc", Record(0, 3, 0, 2, "\nc"));
  ExpectDelta("b", "b\nc\nd\n", Record(0, 1, 0, 5, "\nc\nd\n"));
}

TEST_F(LineDiff, ReplacingTheUnterminatedLastLine) {
  ExpectDelta("a\nb", "a\nB\nc\n", Record(2, 2, 1, 4, "B\nc\n"));
  ExpectDelta("a\nb", "a\nB", Record(2, 2, 1, 1, "B"));
  ExpectDelta("a\nb\n", "a\nB", Record(2, 2, 2, 1, "B"));
}

TEST_F(LineDiff, OnlyOneTextTerminatedWhenOtherLinesChanged) {
  ExpectDelta("x\nb\n", "y\nb", Records({Record(2, 0, 1, 1, "y"), Record(1, 3, 1, 0)}));
  ExpectDelta("x\nb", "y\nb\n", Records({Record(2, 0, 1, 1, "y"), Record(0, 3, 0, 1, "\n")}));
}

TEST_F(LineDiff, BinaryTextsWithAnotherSeparator) {
  const std::string source = std::string("ab\0cd\0ef\0", 9);
  const std::string target = std::string("ab\0cX\0ef\0", 9);
  ExpectDelta(source, target, Record(2, 4, 1, 1, "X"), '\0');
}

TEST_F(LineDiff, ReportsComparingBeforeTheSearch) {
  ByteBuffer delta;
  ASSERT_EQ(CompareBuffers(View("a\n"), View("b\n"), '\n', delta), 1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kStatus);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kComparing));
}

class CountingProgress : public DiffProgress {
 public:
  void Step() override { ++steps; }
  void Finished() override { ++finished; }
  int steps = 0;
  int finished = 0;
};

TEST_F(LineDiff, ProgressIsSteppedAndFinishedOnce) {
  std::string source;
  std::string target;
  for (int i = 0; i < 300; ++i) {
    source += "s" + std::to_string(i % 3) + "\n";
    target += "s" + std::to_string((i * 2) % 3) + "\n";
  }
  CountingProgress progress;
  ByteBuffer delta;
  ASSERT_EQ(CompareBuffers(View(source), View(target), '\n', delta, progress), 1);
  EXPECT_GT(progress.steps, 10);
  EXPECT_EQ(progress.finished, 1);
}

// The file form.
class LineDiffFiles : public LineDiff {
 protected:
  testing::TempDir dir_;
};

TEST_F(LineDiffFiles, WritesTheSameDeltaAsTheBufferForm) {
  const std::string source = "keep\nold line\nkeep too\n";
  const std::string target = "keep\nnew line\nkeep too\nmore\n";
  testing::WriteText(dir_.File("s"), source);
  testing::WriteText(dir_.File("t"), target);
  CountingProgress progress;
  ASSERT_EQ(CompareFiles(dir_.File("d"), dir_.File("s"), dir_.File("t"), '\n', progress), 1);
  EXPECT_EQ(progress.finished, 1);
  ByteBuffer expected;
  ASSERT_EQ(CompareBuffers(View(source), View(target), '\n', expected), 1);
  EXPECT_EQ(testing::ReadBytes(dir_.File("d")), Bytes(expected.begin(), expected.end()));
}

TEST_F(LineDiffFiles, EqualFilesLeaveAnEmptyDeltaFile) {
  testing::WriteText(dir_.File("s"), "same\n");
  testing::WriteText(dir_.File("t"), "same");
  testing::WriteText(dir_.File("d"), "stale contents");
  ASSERT_EQ(CompareFiles(dir_.File("d"), dir_.File("s"), dir_.File("t"), '\n'), 0);
  EXPECT_TRUE(testing::ReadBytes(dir_.File("d")).empty());
}

TEST_F(LineDiffFiles, AnUnreadableInputIsReportedWithTheSystemsReason) {
  testing::WriteText(dir_.File("t"), "x\n");
  CountingProgress progress;
  EXPECT_EQ(CompareFiles(dir_.File("d"), dir_.File("missing"), dir_.File("t"), '\n', progress), -1);
  EXPECT_EQ(progress.finished, 1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
  EXPECT_EQ(host_.messages()[0].text,
            FormatMessage(msg::kCannotRead, dir_.File("missing"),
                          std::string_view(std::strerror(ENOENT))));
}

TEST_F(LineDiffFiles, AnUncreatableDeltaFileIsMessage103) {
  testing::WriteText(dir_.File("s"), "x\n");
  testing::WriteText(dir_.File("t"), "y\n");
  const std::string delta = dir_.File("no/such/dir/d");
  EXPECT_EQ(CompareFiles(delta, dir_.File("s"), dir_.File("t"), '\n'), -1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
  EXPECT_TRUE(host_.Saw(delta));
  // No comparison was started: no message 155.
  EXPECT_FALSE(host_.Saw(FormatMessage(msg::kComparing)));
}

TEST_F(LineDiffFiles, AFullDiskIsReportedWithTheSystemsReason) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  testing::WriteText(dir_.File("s"), "x\n");
  testing::WriteText(dir_.File("t"), "y\n");
  EXPECT_EQ(CompareFiles("/dev/full", dir_.File("s"), dir_.File("t"), '\n'), -1);
  ASSERT_EQ(host_.messages().size(), 2u);  // 155, then the failure
  EXPECT_EQ(host_.messages()[1].kind, kAlert);
  EXPECT_EQ(host_.messages()[1].text,
            FormatMessage(msg::kWriteFailedBecause, platform::ErrorText(ENOSPC)));
}

TEST_F(LineDiffFiles, ADirectoryAsInputCannotBeReadWhole) {
  testing::WriteText(dir_.File("t"), "y\n");
  std::filesystem::create_directory(dir_.File("dir"));
  EXPECT_EQ(CompareFiles(dir_.File("d"), dir_.File("dir"), dir_.File("t"), '\n'), -1);
  EXPECT_EQ(host_.messages().size(), 1u);
}

// Memory running out at each allocation in turn: every attempt fails with
// message 138 and releases what it took.
std::size_t g_allocations_left = 0;
void* FailingAfterSome(std::size_t size) {
  if (g_allocations_left == 0) return nullptr;
  --g_allocations_left;
  return std::calloc(1, size);
}

TEST_F(LineDiff, RunningOutOfMemoryAnywhereFailsCleanly) {
  std::string source;
  std::string target;
  for (int i = 0; i < 200; ++i) {
    source += "line " + std::to_string(i % 17) + "\n";
    target += "line " + std::to_string((i * 5) % 19) + "\n";
  }
  const std::size_t live_before = MemLiveBlocks();
  MemSetExhaustedMode(kMemGiveUp);
  int failures = 0;
  for (std::size_t budget = 0;; ++budget) {
    host_.Clear();
    g_allocations_left = budget;
    MemSetPlatformAllocator(FailingAfterSome);
    ByteBuffer delta;
    const int result = CompareBuffers(View(source), View(target), '\n', delta);
    MemSetPlatformAllocator(nullptr);
    EXPECT_EQ(MemLiveBlocks(), live_before + (delta.capacity() > 0 ? 1 : 0)) << budget;
    if (result == 1) break;
    ASSERT_EQ(result, -1) << budget;
    EXPECT_TRUE(delta.empty());
    ASSERT_FALSE(host_.messages().empty());
    EXPECT_EQ(host_.messages().back().kind, kAlert);
    EXPECT_EQ(host_.messages().back().text.substr(0, 10),
              FormatMessage(msg::kOutOfMemory, std::string_view("m"), 1).substr(0, 10));
    ++failures;
    ASSERT_LT(budget, 1000u);
  }
  MemSetExhaustedMode(kMemExit);
  EXPECT_GT(failures, 5);
}

}  // namespace
}  // namespace tarn
