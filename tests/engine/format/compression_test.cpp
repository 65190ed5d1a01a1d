// Compressed revision data: blocks written out by hand from the format
// (header, control words low byte first, literal and copy items), round
// trips over many kinds of data, and malformed blocks.
#include "engine/format/compression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

ByteBuffer Buffer(const Bytes& bytes) { return ByteBuffer(bytes.begin(), bytes.end()); }
Bytes Plain(const ByteBuffer& buffer) { return Bytes(buffer.begin(), buffer.end()); }

void PutU32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// An item of the coded stream, as the format describes it.
struct Item {
  bool copy;
  std::uint8_t literal;
  unsigned offset;
  unsigned length;
};
Item Lit(std::uint8_t byte) { return {false, byte, 0, 0}; }
Item Copy(unsigned offset, unsigned length) { return {true, 0, offset, length}; }

// Encodes groups of up to 16 items behind a header, independently of the
// coder: control bit i for item i, copies as A = high offset nibble << 4 |
// length - 1, B = low offset byte.
Bytes Block(std::uint32_t raw_length, const std::vector<Item>& items) {
  Bytes stream;
  for (std::size_t first = 0; first < items.size(); first += 16) {
    unsigned control = 0;
    Bytes body;
    for (std::size_t i = first; i < items.size() && i < first + 16; ++i) {
      const Item& item = items[i];
      if (!item.copy) {
        body.push_back(item.literal);
        continue;
      }
      control |= 1u << (i - first);
      body.push_back(static_cast<std::uint8_t>(((item.offset >> 8) << 4) | (item.length - 1)));
      body.push_back(static_cast<std::uint8_t>(item.offset & 0xFF));
    }
    stream.push_back(static_cast<std::uint8_t>(control & 0xFF));
    stream.push_back(static_cast<std::uint8_t>(control >> 8));
    stream.insert(stream.end(), body.begin(), body.end());
  }
  Bytes block;
  PutU32(block, raw_length);
  PutU32(block, static_cast<std::uint32_t>(stream.size() + 10));
  block.push_back(1);
  block.push_back(0);
  block.insert(block.end(), stream.begin(), stream.end());
  return block;
}

Bytes Repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

TEST(CompressionFormat, SeventeenEqualBytesGiveTheFifteenByteBlock) {
  ByteBuffer data = Buffer(Repeated('a', 17));
  ASSERT_EQ(Compress(data), 1);
  const Bytes expected = {0x11, 0x00, 0x00, 0x00,  // 17 raw bytes
                          0x0F, 0x00, 0x00, 0x00,  // 15-byte block
                          0x01, 0x00,              // method 1
                          0x02, 0x00,              // literal, then a copy
                          'a',  0x0F, 0x01};       // copy: offset 1, length 16
  EXPECT_EQ(Plain(data), expected);
}

TEST(CompressionFormat, ThousandEqualBytesCopyTheStartOfThePreviousCopy) {
  std::vector<Item> items = {Lit('x'), Copy(1, 16)};
  for (int i = 0; i < 61; ++i) items.push_back(Copy(16, 16));  // 17 + 61 * 16 = 993
  for (int i = 0; i < 7; ++i) items.push_back(Lit('x'));
  const Bytes expected = Block(1000, items);
  ASSERT_EQ(expected.size(), 152u);
  // Control words: 0xFFFE, 0xFFFF, 0xFFFF, 0x7FFF, then 0x0000 for the literals.
  EXPECT_EQ(expected[10], 0xFE);
  EXPECT_EQ(expected[11], 0xFF);

  ByteBuffer data = Buffer(Repeated('x', 1000));
  ASSERT_EQ(Compress(data), 1);
  EXPECT_EQ(Plain(data), expected);
}

TEST(CompressionFormat, ExactlySixteenItemsEndWithoutAFurtherControlWord) {
  Bytes raw = Repeated('a', 17);
  for (std::uint8_t c = 'b'; c <= 'o'; ++c) raw.push_back(c);  // 14 literals: 16 items
  ByteBuffer data = Buffer(raw);
  ASSERT_EQ(Compress(data), 1);
  const Bytes expected = {0x1F, 0x00, 0x00, 0x00, 0x1D, 0x00, 0x00, 0x00, 0x01, 0x00,
                          0x02, 0x00, 'a',  0x0F, 0x01, 'b',  'c',  'd',  'e',  'f',
                          'g',  'h',  'i',  'j',  'k',  'l',  'm',  'n',  'o'};
  EXPECT_EQ(Plain(data), expected);

  ASSERT_EQ(Expand(data), 1);
  EXPECT_EQ(Plain(data), raw);
}

TEST(CompressionFormat, TheLastFifteenBytesAreLiterals) {
  // 300 equal bytes: every item that can copy does, except in the tail.
  ByteBuffer data = Buffer(Repeated('z', 300));
  ASSERT_EQ(Compress(data), 1);
  std::vector<Item> items = {Lit('z'), Copy(1, 16)};
  std::size_t covered = 17;
  while (300 - covered >= 16) {
    items.push_back(Copy(16, 16));
    covered += 16;
  }
  EXPECT_EQ(300 - covered, 11u);
  for (; covered < 300; ++covered) items.push_back(Lit('z'));
  EXPECT_EQ(Plain(data), Block(300, items));
}

TEST(CompressionFormat, ShortDataIsNeverCompressed) {
  for (std::size_t n = 0; n <= 16; ++n) {
    const Bytes raw = Repeated('q', n);
    ByteBuffer data = Buffer(raw);
    EXPECT_EQ(Compress(data), -1) << n;
    EXPECT_EQ(Plain(data), raw) << n;
  }
}

TEST(CompressionFormat, RandomDataIsLeftAsItIs) {
  std::mt19937 random(7);
  for (const std::size_t n : {17u, 100u, 255u, 256u, 257u, 5000u, 70000u}) {
    Bytes raw(n);
    for (auto& byte : raw) byte = static_cast<std::uint8_t>(random());
    ByteBuffer data = Buffer(raw);
    EXPECT_EQ(Compress(data), -1) << n;
    EXPECT_EQ(Plain(data), raw) << n;
  }
}

TEST(CompressionFormat, HeaderFieldsAreLittleEndian) {
  const Bytes bytes = {0x04, 0x03, 0x02, 0x01, 0x0D, 0x0C, 0x0B, 0x0A, 0x01, 0x00};
  const auto header = DecodeCompressHeader(bytes);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->beforeCompressionSize, 0x01020304u);
  EXPECT_EQ(header->afterCompressionSize, 0x0A0B0C0Du);
  EXPECT_EQ(header->method, 1);
  std::array<std::uint8_t, kCompressHeaderSize> encoded{};
  EncodeCompressHeader(*header, encoded);
  EXPECT_EQ(Bytes(encoded.begin(), encoded.end()), bytes);
  EXPECT_FALSE(DecodeCompressHeader(Bytes(9, 0)));
}

// Data of several kinds for round trips.
Bytes TextLike(std::mt19937& random, std::size_t n) {
  static const char* const words[] = {"int ", "return ", "value", " = ",  ";\n", "  ",
                                      "if (", ") {\n",   "}\n",   "tarn", "_",   "0"};
  Bytes out;
  while (out.size() < n) {
    const std::string word = words[random() % std::size(words)];
    out.insert(out.end(), word.begin(), word.end());
  }
  out.resize(n);
  return out;
}

Bytes Noise(std::mt19937& random, std::size_t n, unsigned alphabet) {
  Bytes out(n);
  for (auto& byte : out) byte = static_cast<std::uint8_t>(random() % alphabet);
  return out;
}

Bytes Periodic(std::size_t n, std::size_t period) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>((i % period) * 37);
  return out;
}

void ExpectRoundTrip(const Bytes& raw) {
  ByteBuffer data = Buffer(raw);
  const int status = Compress(data);
  if (status < 0) {
    EXPECT_EQ(Plain(data), raw);
    return;
  }
  ASSERT_EQ(status, 1);
  ASSERT_LT(data.size(), raw.size());
  const auto header = DecodeCompressHeader(Plain(data));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->beforeCompressionSize, raw.size());
  EXPECT_EQ(header->afterCompressionSize, data.size());
  EXPECT_EQ(header->method, 1);
  // The coder is deterministic.
  ByteBuffer again = Buffer(raw);
  ASSERT_EQ(Compress(again), 1);
  EXPECT_EQ(Plain(again), Plain(data));
  ASSERT_EQ(Expand(data), 1);
  EXPECT_EQ(Plain(data), raw);
}

TEST(CompressionRoundTrip, ManySizesAndKinds) {
  std::mt19937 random(2024);
  std::vector<std::size_t> sizes;
  for (std::size_t n = 0; n < 600; ++n) sizes.push_back(n);
  for (std::size_t n = 600; n <= 70000; n += 997) sizes.push_back(n);
  sizes.push_back(4095);
  sizes.push_back(4096);
  sizes.push_back(4097);
  sizes.push_back(65536);
  sizes.push_back(70000);
  int compressed = 0;
  for (const std::size_t n : sizes) {
    SCOPED_TRACE(n);
    ExpectRoundTrip(TextLike(random, n));
    ExpectRoundTrip(Noise(random, n, 4));
    ExpectRoundTrip(Noise(random, n, 256));
    ExpectRoundTrip(Periodic(n, 1 + n % 23));
    ExpectRoundTrip(Periodic(n, 4000));
    ExpectRoundTrip(Repeated(static_cast<std::uint8_t>(n), n));
    ByteBuffer probe = Buffer(TextLike(random, n));
    compressed += Compress(probe) == 1 ? 1 : 0;
  }
  EXPECT_GT(compressed, 500);  // text does compress
}

TEST(CompressionRoundTrip, LongMatchesAtTheWindowEdge) {
  std::mt19937 random(5);
  // A random block repeated at distance 4095 and 4096: the first is in reach.
  for (const std::size_t distance : {4094u, 4095u, 4096u}) {
    Bytes raw = Noise(random, distance, 256);
    const Bytes again(raw.begin(), raw.begin() + 2000);
    raw.insert(raw.end(), again.begin(), again.end());
    ExpectRoundTrip(raw);
  }
}

// The coder as the format defines it, one position at a time with no
// shortcuts: the block the fast coder must produce byte for byte. Returns
// nothing where the coder gives up.
std::optional<Bytes> ReferenceBlock(const Bytes& raw) {
  const std::size_t n = raw.size();
  std::vector<std::int64_t> slot(4096, -1);  // -1: empty
  Bytes out(10, 0);
  std::size_t control_at = out.size();
  out.resize(out.size() + 2);
  unsigned control = 0;
  unsigned items = 0;
  std::size_t p = 0;
  const auto finish_item = [&] {
    if (++items < 16) return;
    out[control_at] = static_cast<std::uint8_t>(control & 0xFF);
    out[control_at + 1] = static_cast<std::uint8_t>(control >> 8);
    control_at = out.size();
    out.resize(out.size() + 2);
    items = 0;
    control = 0;
  };
  const auto code_one = [&] {
    const std::uint32_t b0 = raw[p], b1 = raw[p + 1], b2 = raw[p + 2];
    const std::uint32_t h = (((((b0 << 4) ^ b1) << 4) ^ b2) * 40543u >> 4) & 0xFFF;
    const std::int64_t c = slot[h];
    slot[h] = static_cast<std::int64_t>(p);
    const std::int64_t distance = static_cast<std::int64_t>(p) - c;
    const auto at = static_cast<std::size_t>(c);
    if (c >= 0 && distance >= 1 && distance <= 4095 && raw[at] == raw[p] &&
        raw[at + 1] == raw[p + 1] && raw[at + 2] == raw[p + 2]) {
      std::size_t length = 0;
      while (length < 16 && raw[static_cast<std::size_t>(c) + length] == raw[p + length]) ++length;
      out.push_back(static_cast<std::uint8_t>(((distance & 0xF00) >> 4) + (length - 1)));
      out.push_back(static_cast<std::uint8_t>(distance & 0xFF));
      control = (control >> 1) | 0x8000;
      p += length;
    } else {
      out.push_back(raw[p]);
      control >>= 1;
      p += 1;
    }
    finish_item();
  };
  while (true) {
    if (out.size() > n) return std::nullopt;
    if (n - p >= 256) {
      for (int i = 0; i < 16; ++i) code_one();
    } else if (n - p >= 16) {
      code_one();
    } else if (p == n) {
      break;
    } else {
      out.push_back(raw[p++]);
      control >>= 1;
      finish_item();
    }
  }
  control >>= (16 - items);
  if (items == 0) {
    out.resize(control_at);
  } else {
    out[control_at] = static_cast<std::uint8_t>(control & 0xFF);
    out[control_at + 1] = static_cast<std::uint8_t>(control >> 8);
  }
  if (out.size() >= n) return std::nullopt;
  Bytes header;
  PutU32(header, static_cast<std::uint32_t>(n));
  PutU32(header, static_cast<std::uint32_t>(out.size()));
  std::copy(header.begin(), header.end(), out.begin());
  out[8] = 1;
  out[9] = 0;
  return out;
}

void ExpectSameBlockAsReference(const Bytes& raw) {
  const std::optional<Bytes> expected = ReferenceBlock(raw);
  ByteBuffer data = Buffer(raw);
  if (!expected) {
    EXPECT_EQ(Compress(data), -1);
    EXPECT_EQ(Plain(data), raw);
    return;
  }
  ASSERT_EQ(Compress(data), 1);
  EXPECT_EQ(Plain(data), *expected);
}

TEST(CompressionFormat, BlocksMatchTheCoderAsDefinedPositionByPosition) {
  std::mt19937 random(77);
  // Sizes around the batch limits and past several thousand positions, so
  // that long inputs cross every internal chunk the coder may work in.
  std::vector<std::size_t> sizes = {17, 255, 256, 257, 271, 272, 273, 4095, 4096, 4097, 8191, 8192};
  for (std::size_t n = 300; n < 200000; n = n * 3 / 2 + 7) sizes.push_back(n);
  for (const std::size_t n : sizes) {
    SCOPED_TRACE(n);
    ExpectSameBlockAsReference(TextLike(random, n));
    // The same with the top bit set: the largest hash products.
    Bytes high = TextLike(random, n);
    for (std::uint8_t& byte : high) byte = static_cast<std::uint8_t>(byte | 0x80);
    ExpectSameBlockAsReference(high);
    ExpectSameBlockAsReference(Noise(random, n, 3));
    ExpectSameBlockAsReference(Periodic(n, 1 + n % 37));
    ExpectSameBlockAsReference(Periodic(n, 4095));
    ExpectSameBlockAsReference(Repeated('z', n));
  }
}

// Malformed blocks: expansion fails and leaves the block as it was.
void ExpectRejected(const Bytes& block) {
  ByteBuffer data = Buffer(block);
  EXPECT_EQ(Expand(data), -1);
  EXPECT_EQ(Plain(data), block);
}

TEST(CompressionExpand, AcceptsAHandWrittenBlock) {
  // "abcabcabc" + "XYZ": literal a, b, c, copy(3, 6), literal X, Y, Z.
  const Bytes block =
      Block(12, {Lit('a'), Lit('b'), Lit('c'), Copy(3, 6), Lit('X'), Lit('Y'), Lit('Z')});
  ByteBuffer data = Buffer(block);
  ASSERT_EQ(Expand(data), 1);
  const std::string text(data.begin(), data.end());
  EXPECT_EQ(text, "abcabcabcXYZ");
}

TEST(CompressionExpand, RejectsMalformedBlocks) {
  const Bytes good =
      Block(12, {Lit('a'), Lit('b'), Lit('c'), Copy(3, 6), Lit('X'), Lit('Y'), Lit('Z')});
  // Shorter than a header.
  ExpectRejected(Bytes(good.begin(), good.begin() + 9));
  // Cut inside the stream: the block no longer has the length it claims.
  ExpectRejected(Bytes(good.begin(), good.end() - 1));
  // Cut inside the copy item, with the length field made to agree.
  {
    Bytes cut(good.begin(), good.begin() + 16);  // header, control, a b c, first byte of copy
    cut[4] = static_cast<std::uint8_t>(cut.size());
    ExpectRejected(cut);
  }
  // A copy reaching before the start of the output.
  ExpectRejected(Block(6, {Lit('a'), Copy(2, 5)}));
  // A copy of offset 0.
  ExpectRejected(Block(6, {Lit('a'), Copy(0, 5)}));
  // Output longer than the header says.
  ExpectRejected(
      Block(11, {Lit('a'), Lit('b'), Lit('c'), Copy(3, 6), Lit('X'), Lit('Y'), Lit('Z')}));
  // Output shorter than the header says.
  ExpectRejected(
      Block(13, {Lit('a'), Lit('b'), Lit('c'), Copy(3, 6), Lit('X'), Lit('Y'), Lit('Z')}));
  // A size no block of this length can expand to: refused before allocating.
  {
    Bytes huge = good;
    huge[0] = huge[1] = huge[2] = 0xFF;
    huge[3] = 0xFF;
    ExpectRejected(huge);
  }
  // Another method.
  {
    Bytes other = good;
    other[8] = 2;
    ExpectRejected(other);
  }
  // A control word as the block's last bytes, announcing a literal that is
  // not there.
  ExpectRejected(Bytes{12, 0, 0, 0, 12, 0, 0, 0, 1, 0, 0x00, 0x07});
  // Trailing bytes read as further items of the last group.
  {
    Bytes lonely = Block(3, {Lit('a'), Lit('b'), Lit('c')});
    lonely.push_back(0xFF);
    lonely.push_back(0xFF);
    lonely[4] = static_cast<std::uint8_t>(lonely.size());
    ExpectRejected(lonely);
  }
}

TEST(CompressionExpand, RejectsOverflowInsideAWholeGroup) {
  // 20 groups of 16 copies: long enough for the group-at-a-time path, but
  // the header claims 100 bytes fewer than the items produce.
  std::vector<Item> items = {Lit('r')};
  for (int i = 0; i < 320; ++i) items.push_back(Copy(1, 16));
  const std::uint32_t produced = 1 + 320 * 16;
  ExpectRejected(Block(produced - 100, items));
  ByteBuffer exact = Buffer(Block(produced, items));
  ASSERT_EQ(Expand(exact), 1);
  EXPECT_EQ(Plain(exact), Repeated('r', produced));
}

TEST(CompressionExpand, RandomCorruptionNeverEscapesTheBuffers) {
  std::mt19937 random(99);
  const Bytes raw = TextLike(random, 20000);
  ByteBuffer block = Buffer(raw);
  ASSERT_EQ(Compress(block), 1);
  const Bytes good = Plain(block);
  for (int round = 0; round < 2000; ++round) {
    Bytes damaged = good;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) {
      damaged[10 + random() % (damaged.size() - 10)] ^=
          static_cast<std::uint8_t>(1 + random() % 255);
    }
    ByteBuffer data = Buffer(damaged);
    if (Expand(data) == 1) {
      EXPECT_EQ(data.size(), raw.size());
    }
  }
}

}  // namespace
}  // namespace tarn
