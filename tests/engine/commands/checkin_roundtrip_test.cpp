// Nothing lost: generated histories of trunk and branch revisions (locks,
// forced branches, explicit numbers, kept locks; compression on and off;
// text and binary files), every revision checked in and then fetched back
// byte for byte. The number each check-in gives is predicted from the
// records as the test reads them itself.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/commands/checkin.h"
#include "engine/commands/lock_command.h"
#include "engine/format/logfile_header.h"
#include "engine/format/revision_number.h"
#include "engine/support/messages.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

using testing::CheckInSandbox;
using testing::RawLogfile;
using testing::RawRevision;

std::string Opt(const MessageId& word) { return CheckInSandbox::Option(word.number); }

struct HistoryKind {
  bool compression;
  bool binary;
  unsigned seed;
};

std::string Describe(const ::testing::TestParamInfo<HistoryKind>& info) {
  return std::string(info.param.compression ? "Compressed" : "Plain") +
         (info.param.binary ? "Binary" : "Text") + std::to_string(info.param.seed);
}

// The number after `base` on its line, or of the next branch at it.
std::string Successor(const RawRevision& base) {
  const std::size_t dot = base.number.rfind('.');
  return base.number.substr(0, dot + 1) + std::to_string(base.minor + 1);
}
std::string NextBranch(const RawRevision& base) {
  return base.number + "." + std::to_string(base.branchCount + 1) + ".1";
}

class CheckInRoundTrip : public ::testing::TestWithParam<HistoryKind> {
 protected:
  void SetUp() override {
    random_.seed(GetParam().seed);
    box_.env.attributes = kAttrCheckLock;
    if (GetParam().compression) box_.env.attributes |= kAttrCompression;
    if (GetParam().binary) box_.env.attributes |= kAttrBinaryFile;
  }

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::string Line() {
    static const char* const kWords[] = {"alpha",     "beta", "gamma", "delta",      "{",      "}",
                                         "return x;", "",     "  ",    "int i = 0;", "// note"};
    std::string line;
    const int words = Uniform(0, 5);
    for (int i = 0; i < words; ++i) line += std::string(kWords[Uniform(0, 10)]) + " ";
    return line + "\n";
  }

  std::string Bytes(int n) {
    std::string bytes;
    for (int i = 0; i < n; ++i) {
      // Mostly a few values, so that lines (by the chosen separator) repeat.
      bytes += static_cast<char>(Uniform(0, 3) == 0 ? Uniform(0, 255) : Uniform(0, 7) * 31);
    }
    return bytes;
  }

  std::string FirstText() {
    if (GetParam().binary) return Bytes(Uniform(0, 3000));
    std::string text;
    const int lines = Uniform(0, 60);
    for (int i = 0; i < lines; ++i) text += Line();
    return text;
  }

  // A few edits of `text`: insertions, deletions and replacements of runs.
  std::string Changed(std::string text) {
    const int edits = Uniform(1, 5);
    for (int e = 0; e < edits; ++e) {
      const auto at = static_cast<std::size_t>(Uniform(0, static_cast<int>(text.size())));
      const auto cut =
          std::min<std::size_t>(text.size() - at, static_cast<std::size_t>(Uniform(0, 120)));
      std::string inserted;
      if (GetParam().binary) {
        inserted = Bytes(Uniform(0, 200));
      } else {
        const int lines = Uniform(0, 4);
        for (int i = 0; i < lines; ++i) inserted += Line();
      }
      text.replace(at, Uniform(0, 2) == 0 ? 0 : cut, inserted);
    }
    if (Uniform(0, 10) == 0 && !text.empty()) text.pop_back();  // lose the final separator
    if (Uniform(0, 15) == 0) text.clear();
    return text;
  }

  RawLogfile Parsed() {
    std::string error;
    std::optional<RawLogfile> log = testing::ReadRawLogfile(box_.Logfile(kName), &error);
    EXPECT_TRUE(log) << error;
    return log.value_or(RawLogfile{});
  }

  int Lock(const std::string& revision) {
    std::vector<std::string> line{"tlock", Opt(msg::kOptionRevision), revision, kName};
    LockCommandArgs args;
    if (ParseLockCommandLine(line, args) != 1) return -1;
    tarnEnvironVars env = box_.env;
    return LockRevision(args, env);
  }

  void ExpectEveryRevisionReadsBack() {
    const RawLogfile log = Parsed();
    ASSERT_EQ(log.revisions.size(), texts_.size());
    for (const auto& [number, text] : texts_) {
      ASSERT_NE(log.Find(number), nullptr) << number;
      const std::optional<std::string> fetched = box_.Fetch(kName, number);
      ASSERT_TRUE(fetched) << number << box_.host.All();
      ASSERT_EQ(*fetched, text) << "revision " << number;
    }
  }

  // One check-in from a base chosen at random, its number predicted.
  void Step() {
    const RawLogfile log = Parsed();
    std::vector<std::string> options{Opt(msg::kWordYes), Opt(msg::kOptionText), "step"};
    const RawRevision* base = nullptr;
    if (kept_) {
      for (const RawRevision& r : log.revisions) {
        if (r.locked == 1) base = &r;
      }
      ASSERT_NE(base, nullptr);
    } else {
      base = &log.revisions[static_cast<std::size_t>(
          Uniform(0, static_cast<int>(log.revisions.size()) - 1))];
      ASSERT_EQ(Lock(base->number), 1) << base->number << box_.host.All();
    }
    const bool deep_enough = std::count(base->number.begin(), base->number.end(), '.') >= 37;
    std::string expected;
    const int choice = Uniform(0, 9);
    if (base->tip == 1 && choice == 0) {
      expected = base->number.substr(0, base->number.rfind('.') + 1) +
                 std::to_string(base->minor + Uniform(2, 9));
      options.push_back(Opt(msg::kOptionRevision));
      options.push_back(expected);
    } else if (choice == 1 && !deep_enough) {
      options.push_back(Opt(msg::kOptionNewBranch));
      expected = NextBranch(*base);
    } else if (base->tip == 1) {
      expected = Successor(*base);
    } else {
      if (deep_enough) return;  // no deeper branch possible; covered elsewhere
      expected = NextBranch(*base);
    }
    kept_ = Uniform(0, 5) == 0;
    if (kept_) options.push_back(Opt(msg::kOptionLock));
    const std::string text = Changed(texts_.at(base->number));
    box_.Write(kName, text);
    CheckInOutcome outcome;
    ASSERT_EQ(box_.CheckIn(kName, options, &outcome), 1) << box_.host.All();
    ASSERT_TRUE(outcome.stored);
    ASSERT_EQ(FormatRevision(outcome.number), expected);
    texts_[expected] = text;
  }

  static constexpr const char* kName = "history.c";
  CheckInSandbox box_;
  std::mt19937 random_;
  std::map<std::string, std::string> texts_;
  bool kept_ = false;
};

TEST_P(CheckInRoundTrip, EveryRevisionReadsBackExactly) {
  const std::string first = FirstText();
  box_.Write(kName, first);
  ASSERT_EQ(box_.CheckIn(kName, {Opt(msg::kOptionText), "history"}), 1) << box_.host.All();
  texts_["1.0"] = first;
  for (int step = 1; step <= 45; ++step) {
    ASSERT_NO_FATAL_FAILURE(Step()) << "step " << step;
    if (step % 15 == 0) {
      ASSERT_NO_FATAL_FAILURE(ExpectEveryRevisionReadsBack());
    }
  }
  EXPECT_GT(texts_.size(), 40u);
  const RawLogfile log = Parsed();
  EXPECT_TRUE(log.checksumMatches);
  EXPECT_EQ(log.revisionCount, static_cast<int>(texts_.size()));
  EXPECT_EQ(log.lockCount, kept_ ? 1 : 0);
  // Exactly one tip per line: the trunk tip is first and whole.
  EXPECT_EQ(log.revisions[0].tip, 1);
  EXPECT_EQ(log.revisions[0].depth, 0);
}

INSTANTIATE_TEST_SUITE_P(Histories, CheckInRoundTrip,
                         ::testing::Values(HistoryKind{false, false, 1},
                                           HistoryKind{true, false, 2}, HistoryKind{false, true, 3},
                                           HistoryKind{true, true, 4}, HistoryKind{true, false, 5},
                                           HistoryKind{false, false, 6}),
                         Describe);

}  // namespace
}  // namespace tarn
