// Delta records written out by hand from the layout (kind 2 bytes, position,
// removed and inserted lengths 4 bytes each, signed little-endian, then the
// inserted bytes), and the application of deltas, good and bad.
#include "engine/format/delta_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutI16(Bytes& out, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  out.push_back(static_cast<std::uint8_t>(bits >> 8));
}

void PutI32(Bytes& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

// A record as the layout table describes it.
Bytes Record(std::int16_t kind, std::int32_t position, std::int32_t removed, std::int32_t inserted,
             const std::string& bytes = "") {
  Bytes out;
  PutI16(out, kind);
  PutI32(out, position);
  PutI32(out, removed);
  PutI32(out, inserted);
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::span<const std::uint8_t> View(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Text(const ByteBuffer& buffer) { return std::string(buffer.begin(), buffer.end()); }

TEST(DeltaRecordLayout, RecordsAreWrittenByteForByte) {
  ByteBuffer delta;
  AppendDeltaRecord(delta, DeltaKind::kInsert, 0x01020304, 0, View("xy"));
  AppendDeltaRecord(delta, DeltaKind::kDelete, 7, 3, {});
  AppendDeltaRecord(delta, DeltaKind::kReplace, 300, 2, View("abc"));
  const Bytes expected = {0x00, 0x00, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00,
                          0x00, 0x00, 'x',  'y',  0x01, 0x00, 0x07, 0x00, 0x00, 0x00, 0x03, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x2C, 0x01, 0x00, 0x00,
                          0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 'a',  'b',  'c'};
  EXPECT_EQ(Bytes(delta.begin(), delta.end()), expected);
}

TEST(DeltaRecordLayout, ReaderReturnsRecordsInOrder) {
  const Bytes delta =
      Concat({Record(0, 2, 0, 2, "NE"), Record(1, 5, 4, 99), Record(2, 12, 1, 1, "z")});
  DeltaReader reader(delta);
  DeltaRecord record;
  ASSERT_EQ(reader.Next(record), 1);
  EXPECT_EQ(record.kind, DeltaKind::kInsert);
  EXPECT_EQ(record.position, 2);
  EXPECT_EQ(std::string(record.bytes.begin(), record.bytes.end()), "NE");
  ASSERT_EQ(reader.Next(record), 1);
  // A delete's inserted-length field means nothing to readers.
  EXPECT_EQ(record.kind, DeltaKind::kDelete);
  EXPECT_EQ(record.removed, 4);
  EXPECT_EQ(record.inserted, 0);
  EXPECT_TRUE(record.bytes.empty());
  ASSERT_EQ(reader.Next(record), 1);
  EXPECT_EQ(record.kind, DeltaKind::kReplace);
  EXPECT_EQ(reader.Next(record), 0);
}

TEST(DeltaApply, FollowsTheRecordsOverTheSource) {
  const std::string source = "0123456789abcdef";
  const Bytes delta = Concat({Record(0, 0, 0, 3, ">>>"),   // insert in front
                              Record(1, 2, 3, 0),          // drop "234"
                              Record(2, 7, 2, 1, "#"),     // "78" -> "#"
                              Record(0, 16, 0, 1, "!")});  // append
  ByteBuffer target;
  ASSERT_EQ(ApplyDelta(View(source), delta, target), 1);
  EXPECT_EQ(Text(target), ">>>0156#9abcdef!");
}

TEST(DeltaApply, EmptyDeltaCopiesTheSource) {
  ByteBuffer target;
  ASSERT_EQ(ApplyDelta(View("same\n"), {}, target), 1);
  EXPECT_EQ(Text(target), "same\n");
  ASSERT_EQ(ApplyDelta({}, Record(0, 0, 0, 2, "hi"), target), 1);
  EXPECT_EQ(Text(target), "hi");
}

TEST(DeltaApply, InsertsAndDeletesMayShareAPosition) {
  const Bytes delta = Concat({Record(0, 3, 0, 1, "+"), Record(1, 3, 2, 0)});
  ByteBuffer target;
  ASSERT_EQ(ApplyDelta(View("abcdefg"), delta, target), 1);
  EXPECT_EQ(Text(target), "abc+fg");
}

TEST(DeltaApply, RejectsDeltasThatDoNotFitTheSource) {
  const std::string source = "0123456789";
  const std::vector<Bytes> bad = {
      Record(1, 11, 0, 0),                               // position past the end
      Record(1, 8, 3, 0),                                // range past the end
      Record(2, 9, 2, 1, "x"),                           // replace past the end
      Record(0, -1, 0, 1, "x"),                          // negative position
      Record(1, 2, -1, 0),                               // negative removed length
      Record(0, 2, 0, -4, ""),                           // negative inserted length
      Record(0, 2, 0, 5, "abc"),                         // inserted bytes cut short
      Record(3, 2, 1, 0),                                // unknown kind
      Record(-1, 2, 1, 0),                               // unknown kind
      Concat({Record(1, 5, 2, 0), Record(1, 3, 1, 0)}),  // out of order
      Concat({Record(1, 2, 4, 0), Record(1, 5, 1, 0)}),  // overlapping
      Concat({Record(1, 2, 1, 0), Bytes(13, 0)}),        // a head cut short
      Record(1, 0x7FFFFFFF, 0x7FFFFFFF, 0),              // sums that would overflow
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    const std::string before = "untouched";
    ByteBuffer target(before.begin(), before.end());
    EXPECT_EQ(ApplyDelta(View(source), bad[i], target), -1) << i;
    EXPECT_EQ(Text(target), "untouched") << i;
  }
}

TEST(DeltaApply, ArbitraryBytesNeverEscapeTheBuffers) {
  std::mt19937 random(11);
  const std::string source(200, 's');
  int applied = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes delta;
    const int records = static_cast<int>(random() % 4);
    for (int r = 0; r < records; ++r) {
      const auto kind = static_cast<std::int16_t>(random() % 4);
      const auto inserted = static_cast<std::int32_t>(random() % 6);
      delta = Concat({delta, Record(kind, static_cast<std::int32_t>(random() % 220),
                                    static_cast<std::int32_t>(random() % 30), inserted,
                                    std::string(static_cast<std::size_t>(random() % 6), 'i'))});
    }
    if (random() % 3 == 0 && !delta.empty()) delta.resize(random() % delta.size());
    ByteBuffer target;
    if (ApplyDelta(View(source), delta, target) == 1) {
      ++applied;
      EXPECT_LE(target.size(), source.size() + delta.size());
    }
  }
  EXPECT_GT(applied, 100);
}

}  // namespace
}  // namespace tarn
