// Rebuilding revisions from logfiles built byte by byte (with deltas and
// compressed blocks written by hand): the walk along the path, skipping of
// records off the path, empty records, compressed data, damaged data and
// the temporary file.
#include "engine/store/revision_rebuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/format/compression.h"
#include "engine/format/revision_number.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

void PutI32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

// A delta record from the layout: kind, position, removed, inserted, bytes.
std::string Record(std::int16_t kind, std::int32_t position, std::int32_t removed,
                   const std::string& bytes = "") {
  std::string out = {static_cast<char>(kind), 0};
  PutI32(out, position);
  PutI32(out, removed);
  PutI32(out, static_cast<std::int32_t>(bytes.size()));
  return out + bytes;
}

tarnCommandRevDesc Request(const std::string& text) {
  tarnCommandRevDesc request;
  EXPECT_EQ(ParseRevisionRequest(text, 0, request), RevisionParse::kParsed) << text;
  return request;
}

std::string Text(const ByteBuffer& buffer) { return std::string(buffer.begin(), buffer.end()); }

// Trunk 1.3 (tip), 1.2, branch 1.2.1.1 and 1.2.1.2, then 1.1, in file order.
constexpr const char* kText13 = "one\ntwo\nthree\n";
constexpr const char* kText12 = "one\n2\nthree\n";
constexpr const char* kText1211 = "one\n2\nthree\nbranch\n";
constexpr const char* kText1212 = "one\n2\nbranch\n";
constexpr const char* kText11 = "zero\none\n2\nthree\n";

class RevisionRebuild : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    testing::LogfileBuilder builder;
    builder.AddRevision(
        {.major = 1, .minor = 3, .branchCount = 0, .tip = 1, .description = "c", .data = kText13});
    builder.AddRevision({.major = 1,
                         .minor = 2,
                         .branchCount = 1,
                         .description = "b",
                         .data = Record(2, 4, 3, "2")});
    builder.AddRevision({.major = 1,
                         .minor = 1,
                         .depth = 1,
                         .description = "branch one",
                         .data = Record(0, 12, 0, "branch\n")});
    builder.AddRevision({.major = 1,
                         .minor = 2,
                         .depth = 1,
                         .tip = 1,
                         .description = "branch two",
                         .data = Record(1, 6, 6)});
    builder.AddRevision(
        {.major = 1, .minor = 1, .description = "a", .data = Record(0, 0, 0, "zero\n")});
    path_ = dir_.File("file.d");
    builder.WriteTo(path_);
    first_ = static_cast<std::int64_t>(builder.RevisionOffsets().front());
    offsets_ = builder.RevisionOffsets();
  }

  int Rebuild(const std::string& request, std::string& text, RebuiltRevision* found = nullptr) {
    std::optional<platform::File> file = platform::File::Open(path_, platform::OpenMode::kRead);
    EXPECT_TRUE(file);
    ByteBuffer buffer;
    const int result = RebuildRevisionText(*file, first_, Request(request), buffer, found);
    text = Text(buffer);
    return result;
  }

  testing::RecordingHost host_;
  testing::TempDir dir_;
  std::string path_;
  std::int64_t first_ = 0;
  std::vector<std::size_t> offsets_;
};

TEST_F(RevisionRebuild, EveryRevisionAlongItsPath) {
  const std::pair<const char*, const char*> cases[] = {{"1.3", kText13},
                                                       {"1.2", kText12},
                                                       {"1.2.1.1", kText1211},
                                                       {"1.2.1.2", kText1212},
                                                       {"1.1", kText11}};
  for (const auto& [request, expected] : cases) {
    std::string text;
    RebuiltRevision found;
    ASSERT_EQ(Rebuild(request, text, &found), 1) << request;
    EXPECT_EQ(text, expected) << request;
    EXPECT_EQ(FormatRevision(found.number), request);
  }
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(RevisionRebuild, HandsBackTheWantedRecord) {
  std::string text;
  RebuiltRevision found;
  ASSERT_EQ(Rebuild("1.2.1.2", text, &found), 1);
  EXPECT_EQ(found.offset, static_cast<std::int64_t>(offsets_[3]));
  EXPECT_EQ(found.header.minor, 2);
  EXPECT_EQ(found.header._iDepth, 1);
  EXPECT_EQ(found.header._cTip, 1);
}

TEST_F(RevisionRebuild, TheNewestOfABranch) {
  std::string text;
  RebuiltRevision found;
  ASSERT_EQ(Rebuild("1.2.1.", text, &found), 1);
  EXPECT_EQ(text, kText1212);  // the record with the tip flag
  EXPECT_EQ(FormatRevision(found.number), "1.2.1.2");
}

TEST_F(RevisionRebuild, ARevisionThatDoesNotExistIsNotFoundSilently) {
  std::string text;
  EXPECT_EQ(Rebuild("1.7", text), -1);
  EXPECT_EQ(Rebuild("1.2.2.1", text), -1);
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(RevisionRebuild, RecordsOffThePath) {
  // 1.2.1.1 lies on the way to 1.2.1.2 but not to 1.1.
  EXPECT_TRUE(OnRevisionPath(Request("1.2.1.1"), Request("1.2.1.2")));
  EXPECT_FALSE(OnRevisionPath(Request("1.2.1.1"), Request("1.1")));
  EXPECT_FALSE(OnRevisionPath(Request("1.2.2.1"), Request("1.2.1.2")));
  EXPECT_FALSE(OnRevisionPath(Request("1.3.1.1"), Request("1.2.1.2")));
  EXPECT_TRUE(OnRevisionPath(Request("1.9"), Request("1.2.1.2")));
  EXPECT_TRUE(OnRevisionPath(Request("1.2"), Request("1.2.1.2")));
  // Past a branch point the walk has left that line: older trunk records,
  // later records of the branch a deeper branch starts from.
  EXPECT_FALSE(OnRevisionPath(Request("1.1"), Request("1.2.1.2")));
  EXPECT_FALSE(OnRevisionPath(Request("1.0"), Request("1.2.1.2")));
  EXPECT_TRUE(OnRevisionPath(Request("1.2.1.2"), Request("1.2.1.2.1.1")));
  EXPECT_FALSE(OnRevisionPath(Request("1.2.1.3"), Request("1.2.1.2.1.1")));
  EXPECT_TRUE(OnRevisionPath(Request("1.0"), Request("1.0")));
  EXPECT_TRUE(OnRevisionPath(Request("1.5"), Request("1.0")));
}

TEST(RevisionRebuildData, EmptyAndCompressedRecords) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  testing::TempDir dir;
  // Tip: 17 'a's, stored as the 15-byte block (literal, copy of offset 1 and
  // length 16). 1.2: an empty record (no change). 1.1: a compressed delta.
  const std::string tip_block = {0x11, 0, 0, 0, 0x0F, 0, 0, 0, 0x01, 0, 0x02, 0, 'a', 0x0F, 0x01};
  const std::string delta = Record(0, 17, 0, std::string(40, 'b'));
  ByteBuffer packed(delta.begin(), delta.end());
  ASSERT_EQ(Compress(packed), 1);
  testing::LogfileBuilder builder;
  builder.AddRevision({.major = 1, .minor = 3, .tip = 1, .compressed = 1, .data = tip_block});
  builder.AddRevision({.major = 1, .minor = 2, .data = ""});
  builder.AddRevision(
      {.major = 1, .minor = 1, .compressed = 1, .data = std::string(packed.begin(), packed.end())});
  builder.WriteTo(dir.File("c.d"));
  std::optional<platform::File> file =
      platform::File::Open(dir.File("c.d"), platform::OpenMode::kRead);
  const auto first = static_cast<std::int64_t>(builder.RevisionOffsets().front());

  ByteBuffer text;
  RebuiltRevision found;
  ASSERT_EQ(RebuildRevisionText(*file, first, Request("1.3"), text, &found), 1);
  EXPECT_EQ(Text(text), std::string(17, 'a'));
  EXPECT_EQ(found.header.RevSize, 17u);  // the expanded length
  ASSERT_EQ(RebuildRevisionText(*file, first, Request("1.2"), text, &found), 1);
  EXPECT_EQ(Text(text), std::string(17, 'a'));
  ASSERT_EQ(RebuildRevisionText(*file, first, Request("1.1"), text, &found), 1);
  EXPECT_EQ(Text(text), std::string(17, 'a') + std::string(40, 'b'));
  EXPECT_EQ(found.header.RevSize, delta.size());
  EXPECT_TRUE(host.messages().empty());
}

TEST(RevisionRebuildData, DamagedDataFailsAsDamage) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  testing::TempDir dir;
  const std::string bad_block = {0x12, 0, 0, 0, 0x0F, 0, 0, 0, 0x01, 0, 0x02, 0, 'a', 0x0F, 0x01};
  const std::vector<std::vector<testing::BuiltRevision>> logfiles = {
      // A tip block that expands to 17 bytes, not the 18 it claims.
      {{.major = 1, .minor = 2, .tip = 1, .compressed = 1, .data = bad_block}},
      // A delta reaching past the text.
      {{.major = 1, .minor = 2, .tip = 1, .data = "short\n"},
       {.major = 1, .minor = 1, .data = Record(1, 4, 10)}},
      // A delta cut inside its head.
      {{.major = 1, .minor = 2, .tip = 1, .data = "short\n"},
       {.major = 1, .minor = 1, .data = Record(1, 0, 1).substr(0, 9)}},
  };
  for (std::size_t i = 0; i < logfiles.size(); ++i) {
    testing::LogfileBuilder builder;
    for (const auto& revision : logfiles[i]) builder.AddRevision(revision);
    const std::string path = dir.File("bad" + std::to_string(i));
    builder.WriteTo(path);
    std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kRead);
    const auto first = static_cast<std::int64_t>(builder.RevisionOffsets().front());
    host.Clear();
    const std::string temp = dir.File("temp" + std::to_string(i));
    testing::WriteText(temp, "reserved");
    RebuiltRevision found;
    found.offset = -5;
    EXPECT_EQ(RebuildRevision(*file, first, Request("1.1"), temp, found), -1) << i;
    EXPECT_EQ(found.offset, -5) << i;
    EXPECT_FALSE(std::filesystem::exists(temp)) << i;
    ASSERT_EQ(host.messages().size(), 1u) << i;
    EXPECT_EQ(host.messages()[0].kind, kAlert);
    EXPECT_TRUE(host.Saw("damaged")) << host.All();
  }
}

TEST_F(RevisionRebuild, WritesTheTemporaryFile) {
  std::optional<platform::File> file = platform::File::Open(path_, platform::OpenMode::kRead);
  RebuiltRevision found;
  const std::string temp = dir_.File("TARN0001");
  ASSERT_EQ(RebuildRevision(*file, first_, Request("1.2.1.1"), temp, found), 1);
  EXPECT_EQ(testing::ReadText(temp), kText1211);
  EXPECT_EQ(FormatRevision(found.number), "1.2.1.1");
  // Not found: the reserved temporary file goes.
  EXPECT_EQ(RebuildRevision(*file, first_, Request("1.9"), temp, found), -1);
  EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST_F(RevisionRebuild, ApplyingRecordDataDirectly) {
  ByteBuffer text;
  const std::string start = "abc\n";
  text.assign(start.begin(), start.end());
  const std::string delta = Record(2, 1, 1, "B");
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(delta.data()),
                                            delta.size());
  ASSERT_EQ(ApplyRecordData(bytes, false, text), 1);
  EXPECT_EQ(Text(text), "aBc\n");
  ASSERT_EQ(ApplyRecordData({}, false, text), 1);
  EXPECT_EQ(Text(text), "aBc\n");
  EXPECT_EQ(ApplyRecordData(bytes, true, text), -1);  // not a compressed block
  EXPECT_EQ(Text(text), "aBc\n");
}

// A long history built by hand: a trunk of 400 revisions of a text of some
// hundred lines (each older revision a few lines changed, added or removed
// against the next, about half the deltas compressed, some records empty),
// with a branch of two revisions in the middle. Every revision must come
// back exactly as the edits on strings made it.
class LongHistory {
 public:
  explicit LongHistory(unsigned seed) : random_(seed) {}

  // Edits `source` line-wise; the delta turning `source` into the result is
  // written by hand (positions in `source`, increasing, not overlapping).
  std::string Edit(const std::string& source, std::string& delta) {
    std::vector<std::size_t> starts;  // of every line, and the end
    for (std::size_t at = 0; at < source.size(); at = source.find('\n', at) + 1) {
      starts.push_back(at);
    }
    starts.push_back(source.size());
    const std::size_t lines = starts.size() - 1;
    std::string target;
    std::size_t copied = 0;
    std::size_t line = 0;
    const int edits = Pick(1, 3);
    for (int e = 0; e < edits && line <= lines; ++e) {
      line = std::min(lines, line + static_cast<std::size_t>(Pick(0, 60)));
      const std::size_t removed_lines =
          std::min(lines - line, static_cast<std::size_t>(Pick(0, 2)));
      const int added = removed_lines == 0 ? Pick(1, 3) : Pick(0, 2);
      std::string inserted;
      for (int i = 0; i < added; ++i) inserted += Line();
      const std::size_t position = starts[line];
      const std::size_t removed = starts[line + removed_lines] - position;
      const std::int16_t kind = removed == 0 ? 0 : inserted.empty() ? 1 : 2;
      delta += Record(kind, static_cast<std::int32_t>(position), static_cast<std::int32_t>(removed),
                      inserted);
      target += source.substr(copied, position - copied) + inserted;
      copied = position + removed;
      line += removed_lines + 1;
    }
    return target + source.substr(copied);
  }

  // Stored form of a delta: compressed when that is smaller, about half the time.
  testing::BuiltRevision Stored(testing::BuiltRevision revision, const std::string& delta) {
    ByteBuffer packed(delta.begin(), delta.end());
    if (Pick(0, 1) == 1 && Compress(packed) == 1) {
      revision.compressed = 1;
      revision.data.assign(packed.begin(), packed.end());
    } else {
      revision.data = delta;
    }
    return revision;
  }

  std::string Line() {
    static const char* const kWords[] = {"count", "next", "buf", "len",        "= 0;", "return",
                                         "if (",  ") {",  "}",   "/* note */", "i++"};
    std::string line(static_cast<std::size_t>(Pick(0, 3)) * 4, ' ');
    for (int i = Pick(1, 6); i > 0; --i) line += std::string(kWords[Pick(0, 10)]) + " ";
    return line + "\n";
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

 private:
  std::mt19937 random_;
};

TEST(RevisionRebuildLongHistory, EveryRevisionComesBackAsItWasMade) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  testing::TempDir dir;
  constexpr int kNewest = 399;
  constexpr int kBranchPoint = 200;
  LongHistory history(11);
  std::vector<std::string> trunk(kNewest + 1);
  for (int i = 0; i < 150; ++i) trunk[kNewest] += history.Line();
  testing::LogfileBuilder builder;
  builder.AddRevision({.major = 1,
                       .minor = kNewest,
                       .tip = 1,
                       .compressed = 0,
                       .description = "newest",
                       .data = trunk[kNewest]});
  std::string branch1;
  std::string branch2;
  for (int minor = kNewest - 1; minor >= 0; --minor) {
    std::string delta;
    // Every 37th revision is the same text as the one after it: an empty record.
    const auto at = static_cast<std::size_t>(minor);
    trunk[at] = minor % 37 == 0 ? trunk[at + 1] : history.Edit(trunk[at + 1], delta);
    const auto number = static_cast<std::int16_t>(minor);
    builder.AddRevision(
        history.Stored({.major = 1,
                        .minor = number,
                        .branchCount = static_cast<std::int16_t>(minor == kBranchPoint ? 1 : 0)},
                       delta));
    if (minor != kBranchPoint) continue;
    std::string forward1;
    std::string forward2;
    branch1 = history.Edit(trunk[at], forward1);
    branch2 = history.Edit(branch1, forward2);
    builder.AddRevision(history.Stored({.major = 1, .minor = 1, .depth = 1}, forward1));
    builder.AddRevision(history.Stored({.major = 1, .minor = 2, .depth = 1, .tip = 1}, forward2));
  }
  builder.WriteTo(dir.File("long.d"));
  std::optional<platform::File> file =
      platform::File::Open(dir.File("long.d"), platform::OpenMode::kRead);
  ASSERT_TRUE(file);
  const auto first = static_cast<std::int64_t>(builder.RevisionOffsets().front());

  std::vector<std::pair<std::string, std::string>> expected;
  for (int minor = kNewest; minor >= 0; --minor) {
    expected.emplace_back("1." + std::to_string(minor), trunk[static_cast<std::size_t>(minor)]);
  }
  expected.emplace_back("1.200.1.1", branch1);
  expected.emplace_back("1.200.1.2", branch2);
  for (const auto& [request, text] : expected) {
    ByteBuffer rebuilt;
    RebuiltRevision found;
    ASSERT_EQ(RebuildRevisionText(*file, first, Request(request), rebuilt, &found), 1) << request;
    ASSERT_EQ(Text(rebuilt), text) << request;
    EXPECT_EQ(FormatRevision(found.number), request);
  }
  EXPECT_TRUE(host.messages().empty()) << host.All();
}

}  // namespace
}  // namespace tarn
