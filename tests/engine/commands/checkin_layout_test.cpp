// Check-ins on logfiles written by the tests' own builder from the layout
// tables (labels, a default revision, hand-written deltas), and on damaged
// logfiles: what the check-in keeps, changes and refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "engine/commands/checkin.h"
#include "engine/format/logfile_header.h"
#include "engine/support/messages.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::LogfileBuilder;
using testing::RawLogfile;

std::string Opt(const MessageId& word) { return CheckInSandbox::Option(word.number); }

// A delta record written out by hand: kind, position, removed, inserted
// length (little-endian, 2 + 4 + 4 + 4 bytes), then the inserted bytes.
std::string DeltaRecord(int kind, int position, int removed, const std::string& inserted) {
  std::string record;
  auto put = [&record](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) record += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(static_cast<std::uint32_t>(kind), 2);
  put(static_cast<std::uint32_t>(position), 4);
  put(static_cast<std::uint32_t>(removed), 4);
  put(static_cast<std::uint32_t>(kind == 1 ? 0 : inserted.size()), 4);
  return record + (kind == 1 ? "" : inserted);
}

std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class CheckInLayoutTest : public ::testing::Test {
 protected:
  // 1.1 "one\ntwo\nthree\n" whole; 1.0 "one\nthree\n" by a delete record;
  // branch 1.0.1.1 "one\nthree\nfour\n" by an insert; a label on 1.0 and one
  // floating on the branch; CheckLock, with 1.1 locked by bob.
  void Build() {
    LogfileBuilder builder;
    builder.Users("alice,bob").Owner("alice").Attributes(kAttrCheckLock).Description("module");
    builder.AddLabel({{1, 0}, {1, -1}}, "BRANCH", 0).AddLabel({{1, 0}}, "FIRST", 1);
    builder.AddRevision({.major = 1,
                         .minor = 1,
                         .locked = 1,
                         .tip = 1,
                         .putDate = 1000,
                         .editDate = 998,
                         .lockerIndex = 1,
                         .creatorIndex = 1,
                         .description = "second",
                         .data = "one\ntwo\nthree\n"});
    builder.AddRevision({.major = 1,
                         .minor = 0,
                         .branchCount = 1,
                         .putDate = 900,
                         .editDate = 898,
                         .description = "first",
                         .data = DeltaRecord(1, 4, 4, "")});
    builder.AddRevision({.major = 1,
                         .minor = 1,
                         .depth = 1,
                         .tip = 1,
                         .putDate = 950,
                         .description = "on the branch",
                         .data = DeltaRecord(0, 10, 0, "four\n")});
    builder.WriteTo(box_.Logfile(kName));
    original_ = builder.Bytes();
    offsets_ = builder.RevisionOffsets();
    headerSize_ = builder.HeaderBytes().size();
  }

  RawLogfile Parsed() {
    std::string error;
    std::optional<RawLogfile> log = testing::ReadRawLogfile(box_.Logfile(kName), &error);
    EXPECT_TRUE(log) << error;
    return log.value_or(RawLogfile{});
  }

  int Put(const std::string& text) {
    box_.Write(kName, text);
    return box_.CheckIn(kName, {Opt(msg::kOptionText), "by the test", Opt(msg::kWordYes)});
  }

  static constexpr const char* kName = "built.c";
  CheckInSandbox box_;
  std::vector<std::uint8_t> original_;
  std::vector<std::size_t> offsets_;
  std::size_t headerSize_ = 0;
};

TEST_F(CheckInLayoutTest, TrunkCheckInKeepsLabelsAndOlderRecordsByteForByte) {
  Build();
  box_.env.userName = "bob";
  ASSERT_EQ(Put("one\ntwo\nthree\nfour\n"), 1) << box_.host.All();
  const RawLogfile log = Parsed();
  EXPECT_EQ(log.revisionCount, 4);
  EXPECT_EQ(log.versionCount, 2);
  EXPECT_EQ(log.lockCount, 0);
  EXPECT_EQ(log.description, "module");
  EXPECT_EQ(log.minorNumber, 2);
  ASSERT_EQ(log.revisions.size(), 4u);
  EXPECT_EQ(log.revisions[0].number, "1.2");
  EXPECT_EQ(log.revisions[0].creatorIndex, 1);
  EXPECT_EQ(Text(log.revisions[0].data), "one\ntwo\nthree\nfour\n");
  // The old tip: unlocked, no longer the tip, its dates and description kept.
  const testing::RawRevision& former = log.revisions[1];
  EXPECT_EQ(former.number, "1.1");
  EXPECT_EQ(former.locked, 0);
  EXPECT_EQ(former.tip, 0);
  EXPECT_EQ(former.putDate, 1000u);
  EXPECT_EQ(former.editDate, 998u);
  EXPECT_EQ(former.description, "second");
  // The label records between the header strings and the revisions are the
  // builder's bytes; so are the records behind the old tip.
  const std::vector<std::uint8_t> now = testing::ReadBytes(box_.Logfile(kName));
  const std::size_t labelsStart = headerSize_ - (6 + 8 + 7) - (6 + 4 + 6);
  EXPECT_TRUE(std::equal(original_.begin() + static_cast<std::ptrdiff_t>(labelsStart),
                         original_.begin() + static_cast<std::ptrdiff_t>(headerSize_),
                         now.begin() + static_cast<std::ptrdiff_t>(labelsStart)));
  const std::vector<std::uint8_t> olderRecords(
      original_.begin() + static_cast<std::ptrdiff_t>(offsets_[1]), original_.end());
  ASSERT_GE(now.size(), olderRecords.size());
  EXPECT_TRUE(std::equal(olderRecords.begin(), olderRecords.end(),
                         now.end() - static_cast<std::ptrdiff_t>(olderRecords.size())));
  for (const auto& [number, text] :
       std::vector<std::pair<std::string, std::string>>{{"1.1", "one\ntwo\nthree\n"},
                                                        {"1.0", "one\nthree\n"},
                                                        {"1.0.1.1", "one\nthree\nfour\n"}}) {
    EXPECT_EQ(box_.Fetch(kName, number), text) << number;
  }
}

TEST_F(CheckInLayoutTest, OnlyTheLockHolderChecksIn) {
  Build();
  const std::vector<std::uint8_t> before = testing::ReadBytes(box_.Logfile(kName));
  EXPECT_EQ(Put("alice's change\n"), 2);  // alice holds no lock
  EXPECT_EQ(testing::ReadBytes(box_.Logfile(kName)), before);
}

TEST_F(CheckInLayoutTest, DamagedLogfilesAreRefusedAndLeftAsTheyAre) {
  Build();
  box_.env.userName = "bob";
  std::mt19937 random(11);
  int refused = 0;
  for (int trial = 0; trial < 120; ++trial) {
    std::vector<std::uint8_t> damaged = original_;
    if (trial % 2 == 0) {
      damaged.resize(static_cast<std::size_t>(trial) * damaged.size() / 120);
    } else {
      for (int flips = 0; flips < 3; ++flips) {
        damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
      }
    }
    testing::WriteBytes(box_.Logfile(kName), damaged);
    box_.host.Clear();
    const int status = Put("one\ntwo\nthree\nfive\n");
    if (status != 1) {
      ++refused;
      EXPECT_FALSE(box_.host.messages().empty()) << "trial " << trial;
      ASSERT_EQ(testing::ReadBytes(box_.Logfile(kName)), damaged) << "trial " << trial;
    }
    // Nothing of the check-in's own is left behind either way.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(box_.Logs())) {
      names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"built.d"}) << "trial " << trial;
  }
  EXPECT_GT(refused, 60);
}

}  // namespace
}  // namespace tarn
