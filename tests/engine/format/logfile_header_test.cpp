// The logfile header against its layout table: bytes written out by hand are
// read into the expected fields and written back identically; truncated and
// damaged headers are refused without leaking anything.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/format/logfile_header_codec.h"
#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_header.h"
#include "engine/support/guarded_memory.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::LogfileBuilder;

// The test's own little-endian helpers.
void Append(Bytes& out, std::initializer_list<int> bytes) {
  for (const int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}
void AppendText(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}
std::uint16_t WordAt(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}
void SetWord(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<std::uint8_t>(value & 0xFF);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

using namespace std::string_view_literals;
constexpr std::string_view kInfoText =
    "/w/p.c\0"
    "1~1700000000~42"sv;

// A header with every section, listed byte by byte from the layout table.
Bytes HandWrittenHeader() {
  Bytes b;
  Append(b, {0x06, 0x00,    // format 6
             0x01, 0x00,    // major 1
             0x03, 0x00,    // minor 3
             0x85, 0x00,    // attributes CheckLock | ExpandKeywords | Compression
             0x01, 0x00,    // one label
             0x04, 0x00,    // four revisions
             0x02, 0x00,    // default revision of two elements
             0x01, 0x00,    // one lock
             0x08, 0x00,    // "ann,bob" + NUL
             0x0B, 0x00,    // "ann,bob,cy" + NUL
             0x04, 0x00,    // "// " + NUL
             0x04, 0x00,    // "ann" + NUL
             0x07, 0x00,    // "Parser" + NUL
             0x04, 0x02,    // 516
             0xBD, 0x02});  // checksum: 6+1+3+133+1+4+2+1+8+11+4+4+7+516 = 701
  // Default revision 1.2.1 (newest on branch 1 of 1.2): head, two elements,
  // 12 bytes of unused slots.
  Append(b, {0x02, 0x00, 0x00, 0x00,                          //
             0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00,  // exact 1, exact 2
             0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF,  // exact 1, newest -1
             0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0});
  AppendText(b, "ann,bob");
  AppendText(b, "ann,bob,cy");
  AppendText(b, "// ");
  AppendText(b, "ann");
  AppendText(b, "Parser");
  b.insert(b.end(), kInfoText.begin(), kInfoText.end());
  b.insert(b.end(), 516 - kInfoText.size(), 0);
  // Label REL1 on 1.2.1.1, attached by bob (modifier index 1).
  Append(b, {0x02, 0x00, 0x01, 0x00, 0x05, 0x00,  // two elements, creator 1, text size 5
             0x01, 0x00, 0x02, 0x00,              // 1.2
             0x01, 0x00, 0x01, 0x00});            // 1.1
  AppendText(b, "REL1");
  return b;
}

// A 32-byte revision head and its data, to stand behind the header.
Bytes HandWrittenRevision() {
  Bytes b;
  Append(b, {0x01, 0x00, 0x03, 0x00,  // 1.3
             0x00, 0x00, 0x00, 0x00,  // not locked, no branches
             0x00, 0x00, 0x01, 0x00,  // depth 0, tip, not compressed
             0x00, 0x00,              // not interpreted
             0x10, 0x20, 0x30, 0x40,  // put date
             0x11, 0x21, 0x31, 0x41,  // edit date
             0x03, 0x00, 0x00, 0x00,  // three data bytes
             0x00, 0x00, 0x01, 0x00,  // locker 0, creator 1
             0x02, 0x00});            // description "x" + NUL
  AppendText(b, "x");
  Append(b, {'a', 'b', '\n'});
  return b;
}

class LogfileHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  std::string Write(const Bytes& bytes, const std::string& name = "main.d") {
    const std::string path = dir_.File(name);
    testing::WriteBytes(path, bytes);
    return path;
  }

  static platform::File Open(const std::string& path) {
    std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kReadWrite);
    EXPECT_TRUE(file.has_value()) << path;
    return std::move(*file);
  }

  // Reads `bytes` as a logfile; the result of the reader.
  int ReadFrom(const Bytes& bytes, LogfileHeader& header) {
    platform::File file = Open(Write(bytes));
    return ReadLogfileHeader(file, header);
  }

  // True when the one message reported is the read failure of the header
  // reader (message 106 with its module name).
  bool ReportedReadFailure() const {
    const std::string expected =
        FormatMessage(msg::kReadFailed, std::string_view("logfile_header_io"), 0);
    const std::string prefix = expected.substr(0, expected.rfind(' '));
    return host_.messages().size() == 1 && host_.messages()[0].kind == kAlert &&
           host_.messages()[0].text.starts_with(prefix);
  }

  testing::TempDir dir_;
  testing::RecordingHost host_;
};

TEST_F(LogfileHeaderTest, ReadsEveryFieldOfAHandWrittenHeader) {
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(HandWrittenHeader(), header), 1) << host_.All();
  EXPECT_TRUE(host_.messages().empty());

  EXPECT_EQ(header.fixed._iFormat, 6);
  EXPECT_EQ(header.fixed._iMajorNumber, 1);
  EXPECT_EQ(header.fixed._iMinorNumber, 3);
  EXPECT_EQ(header.fixed._iAttributes, kAttrCheckLock | kAttrExpandKeywords | kAttrCompression);
  EXPECT_EQ(header.fixed._iVersionCount, 1);
  EXPECT_EQ(header.fixed._iRevisionCount, 4);
  EXPECT_EQ(header.fixed._iDefaultRevCount, 2);
  EXPECT_EQ(header.fixed._iLockCount, 1);
  EXPECT_EQ(header.fixed._iAccessSize, 8);
  EXPECT_EQ(header.fixed._iModifierSize, 11);
  EXPECT_EQ(header.fixed._iCommentSize, 4);
  EXPECT_EQ(header.fixed._iOwnerSize, 4);
  EXPECT_EQ(header.fixed._iDescSize, 7);
  EXPECT_EQ(header.fixed._iSupplementalInfoSize, 516);
  EXPECT_EQ(header.fixed._iChecksum, 701);
  EXPECT_EQ(ComputeChecksum(header.fixed), 701);

  ASSERT_TRUE(header.defaultRevision.has_value());
  const tarnCommandRevDesc& revision = *header.defaultRevision;
  EXPECT_EQ(revision.iElementCount, 2);
  EXPECT_EQ(revision.iRangeEnd, 0);
  EXPECT_EQ(revision.elements[0], (RevElement{kMatchExact, 1, kMatchExact, 2}));
  EXPECT_EQ(revision.elements[1], (RevElement{kMatchExact, 1, kMatchNewest, -1}));

  EXPECT_EQ(header.accessList, "ann,bob");
  EXPECT_EQ(header.modifierList, "ann,bob,cy");
  EXPECT_EQ(header.commentPrefix, "// ");
  EXPECT_EQ(header.owner, "ann");
  EXPECT_EQ(header.description, "Parser");
  ASSERT_EQ(header.supplementalInfo.size(), 516u);
  EXPECT_EQ(std::string(header.supplementalInfo.begin(), header.supplementalInfo.begin() + 22),
            std::string(kInfoText));

  ASSERT_EQ(header.labels.size(), 1u);
  const LabelRecord& label = header.labels[0];
  EXPECT_EQ(label.iRevisionCount, 2);
  EXPECT_EQ(label.iCreator, 1);
  EXPECT_EQ(label.iVersionSize, 5);
  EXPECT_EQ(label.elements[0], (LabelRecord::Element{1, 2}));
  EXPECT_EQ(label.elements[1], (LabelRecord::Element{1, 1}));
  EXPECT_EQ(label.text, "REL1");
}

TEST_F(LogfileHeaderTest, WritesAHandWrittenHeaderBackByteForByte) {
  const Bytes original = HandWrittenHeader();
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(original, header), 1);
  EXPECT_EQ(EncodedHeaderSize(header), original.size());

  const std::string copy_path = Write({}, "copy.d");
  platform::File copy = Open(copy_path);
  ASSERT_EQ(WriteLogfileHeader(copy, header), 1) << host_.All();
  copy.Close();
  EXPECT_EQ(testing::ReadBytes(copy_path), original);
}

TEST_F(LogfileHeaderTest, ReadStopsAtTheFirstRevisionAndAWriteInPlaceKeepsTheRecords) {
  Bytes logfile = HandWrittenHeader();
  const std::size_t header_size = logfile.size();
  const Bytes revision = HandWrittenRevision();
  logfile.insert(logfile.end(), revision.begin(), revision.end());

  const std::string path = Write(logfile);
  platform::File file = Open(path);
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(file, header), 1);
  EXPECT_EQ(file.Tell(), static_cast<std::int64_t>(header_size));

  // A lock changes only fixed fields: the header keeps its size and the
  // revision records behind it stay as they were.
  header.fixed._iLockCount = 2;
  ASSERT_EQ(EncodedHeaderSize(header), header_size);
  ASSERT_EQ(WriteLogfileHeader(file, header), 1);
  file.Close();

  Bytes expected = logfile;
  SetWord(expected, 14, 2);
  SetWord(expected, 28, 702);
  EXPECT_EQ(testing::ReadBytes(path), expected);
}

TEST_F(LogfileHeaderTest, WriterRecomputesSizesCountsAndChecksum) {
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(HandWrittenHeader(), header), 1);
  header.owner = "bob";
  header.description = "A longer description";
  header.labels.clear();
  header.defaultRevision.reset();
  header.fixed._iAccessSize = 99;  // stale values the writer must not trust
  header.fixed._iChecksum = 0;

  const std::string path = Write({}, "new.d");
  platform::File file = Open(path);
  ASSERT_EQ(WriteLogfileHeader(file, header), 1);
  file.Close();
  const Bytes written = testing::ReadBytes(path);
  EXPECT_EQ(WordAt(written, 8), 0);    // labels
  EXPECT_EQ(WordAt(written, 12), 0);   // no default revision
  EXPECT_EQ(WordAt(written, 16), 8);   // "ann,bob"
  EXPECT_EQ(WordAt(written, 22), 4);   // "bob"
  EXPECT_EQ(WordAt(written, 24), 21);  // the description
  EXPECT_EQ(WordAt(written, 28), LogfileBuilder::Checksum(written));
  EXPECT_EQ(written.size(), 30u + 8 + 11 + 4 + 4 + 21 + 516);
  // No default revision: the access list follows the fixed header at once.
  EXPECT_EQ(std::string(written.begin() + 30, written.begin() + 38), std::string("ann,bob\0", 8));
}

TEST_F(LogfileHeaderTest, StoredDefaultRevisionTailIsIgnoredOnReadAndZeroedOnWrite) {
  Bytes original = HandWrittenHeader();
  for (std::size_t i = 30 + 20; i < 30 + 32; ++i) original[i] = 0xAB;  // the 12 unused bytes
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(original, header), 1);
  EXPECT_EQ(header.defaultRevision->iElementCount, 2);

  const std::string path = Write({}, "copy.d");
  platform::File file = Open(path);
  ASSERT_EQ(WriteLogfileHeader(file, header), 1);
  file.Close();
  EXPECT_EQ(testing::ReadBytes(path), HandWrittenHeader());
}

TEST_F(LogfileHeaderTest, EveryTruncationIsAReadFailureWithoutLeaks) {
  const Bytes whole = HandWrittenHeader();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    host_.Clear();
    const std::size_t live = MemLiveBlocks();
    LogfileHeader header;
    header.owner = "stale";  // a failed read leaves nothing behind
    ASSERT_EQ(
        ReadFrom(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)), header),
        -1)
        << "length " << length;
    EXPECT_TRUE(ReportedReadFailure()) << "length " << length << "\n" << host_.All();
    EXPECT_EQ(MemLiveBlocks(), live) << "length " << length;
    EXPECT_TRUE(header.owner.empty());
    EXPECT_TRUE(header.labels.empty());
    EXPECT_FALSE(header.defaultRevision.has_value());
    EXPECT_EQ(EncodeFixedHeader(header.fixed), FixedHeaderBytes{});
  }
  LogfileHeader header;
  EXPECT_EQ(ReadFrom(whole, header), 1);
}

// A header from the tests' builder with one word of the fixed header (or
// one byte elsewhere) damaged.
struct Damage {
  const char* what;
  std::size_t offset;
  std::uint16_t word;
};

TEST_F(LogfileHeaderTest, RefusesFieldsNoValidHeaderHolds) {
  const Damage damages[] = {
      {"negative access size", 16, 0xFFFF},
      {"negative modifier size", 18, 0x8000},
      {"negative comment size", 20, 0xFFFE},
      {"negative owner size", 22, 0xFFFF},
      {"negative description size", 24, 0xFFFF},
      {"negative supplemental size", 26, 0xFFFF},
      {"negative label count", 8, 0xFFFF},
      {"default revision of 21 elements", 12, 21},
      {"negative default revision count", 12, 0xFFFF},
  };
  for (const Damage& damage : damages) {
    host_.Clear();
    Bytes bytes = HandWrittenHeader();
    SetWord(bytes, damage.offset, damage.word);
    LogfileHeader header;
    EXPECT_EQ(ReadFrom(bytes, header), -1) << damage.what;
    EXPECT_TRUE(ReportedReadFailure()) << damage.what << "\n" << host_.All();
  }
}

TEST_F(LogfileHeaderTest, RefusesDamagedDefaultRevisionsLabelsAndTexts) {
  const std::size_t default_revision = 30;
  const std::size_t access_list = 30 + 32;
  const std::size_t description = access_list + 8 + 11 + 4 + 4;
  const std::size_t label = description + 7 + 516;
  struct ByteDamage {
    const char* what;
    std::size_t offset;
    std::uint8_t value;
  } damages[] = {
      {"stored descriptor names one element, header two", default_revision, 1},
      {"access list without its NUL", access_list + 7, 'x'},
      {"description without its NUL", description + 6, '!'},
      {"label without elements", label, 0},
      {"label of 21 elements", label, 21},
      {"label with a negative element count", label + 1, 0x80},
      {"label text size 0", label + 4, 0},
      {"label text size negative", label + 5, 0xFF},
      {"label text without its NUL", label + 14 + 4, 'X'},
  };
  for (const ByteDamage& damage : damages) {
    host_.Clear();
    Bytes bytes = HandWrittenHeader();
    bytes.at(damage.offset) = damage.value;
    const std::size_t live = MemLiveBlocks();
    LogfileHeader header;
    EXPECT_EQ(ReadFrom(bytes, header), -1) << damage.what;
    EXPECT_TRUE(ReportedReadFailure()) << damage.what << "\n" << host_.All();
    EXPECT_EQ(MemLiveBlocks(), live) << damage.what;
  }
}

TEST_F(LogfileHeaderTest, SizesBeyondTheFileAreShortReadsNotAllocationsOfGarbage) {
  Bytes bytes = HandWrittenHeader();
  SetWord(bytes, 24, 0x7FFF);  // a description of 32767 bytes the file does not have
  LogfileHeader header;
  EXPECT_EQ(ReadFrom(bytes, header), -1);
  EXPECT_TRUE(ReportedReadFailure());

  host_.Clear();
  bytes = HandWrittenHeader();
  SetWord(bytes, 8, 0x7FFF);  // 32767 labels, one present
  EXPECT_EQ(ReadFrom(bytes, header), -1);
  EXPECT_TRUE(ReportedReadFailure());
}

TEST_F(LogfileHeaderTest, TextOfStoredSizeZeroReadsAsEmpty) {
  // The comment prefix stored with size 0: no bytes at all, not even a NUL.
  Bytes bytes;
  Append(bytes, {6, 0, 1, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                 2, 0, 2, 0, 0,    0,    2, 0, 1, 0, 0, 0, 0, 0});
  SetWord(bytes, 28, LogfileBuilder::Checksum(bytes));
  AppendText(bytes, "a");
  AppendText(bytes, "a");
  AppendText(bytes, "a");
  AppendText(bytes, "");
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(bytes, header), 1) << host_.All();
  EXPECT_EQ(header.commentPrefix, "");
  EXPECT_EQ(header.owner, "a");
  EXPECT_EQ(header.description, "");
  EXPECT_TRUE(header.supplementalInfo.empty());
  EXPECT_EQ(header.fixed._iMinorNumber, -1);
  // Written back, the empty text takes its NUL: one byte more than before.
  header.fixed._iCommentSize = 0;
  ASSERT_EQ(PrepareLogfileHeader(header), 1);
  EXPECT_EQ(header.fixed._iCommentSize, 1);
  EXPECT_EQ(EncodedHeaderSize(header), bytes.size() + 1);
}

TEST_F(LogfileHeaderTest, TextsWithNulsInsideKeepTheirStoredSize) {
  Bytes bytes;
  Append(bytes, {6, 0, 1, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                 5, 0, 1, 0, 1,    0,    1, 0, 1, 0, 3, 0, 0, 0});
  SetWord(bytes, 28, LogfileBuilder::Checksum(bytes));
  Append(bytes, {'a', 0, 'b', 'c', 0, 0, 0, 0, 0, 'z', 'y', 'x'});
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(bytes, header), 1) << host_.All();
  EXPECT_EQ(header.accessList, std::string("a\0bc", 4));
  EXPECT_EQ(header.supplementalInfo, (std::vector<std::uint8_t>{'z', 'y', 'x'}));

  const std::string path = Write({}, "copy.d");
  platform::File file = Open(path);
  ASSERT_EQ(WriteLogfileHeader(file, header), 1);
  file.Close();
  EXPECT_EQ(testing::ReadBytes(path), bytes);
}

TEST_F(LogfileHeaderTest, ChecksumIsTheLow16BitsOfTheWordSum) {
  // Words: 6 + 32767 + 32767 + 65535 + five sizes of 1 = 131080, modulo
  // 65536 = 8.
  Bytes bytes;
  Append(bytes, {6, 0, 0xFF, 0x7F, 0xFF, 0x7F, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,  //
                 1, 0, 1,    0,    1,    0,    1,    0,    1, 0, 0, 0, 8, 0});
  Append(bytes, {0, 0, 0, 0, 0});
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(bytes, header), 1);
  EXPECT_EQ(ComputeChecksum(header.fixed), 8);
  EXPECT_EQ(header.fixed._iChecksum, 8);

  // A sum between 32768 and 65535 (negative as a signed 16-bit number).
  header.fixed._iMinorNumber = 0;
  header.fixed._iAttributes = 0;
  header.fixed._iMajorNumber = 20000;
  header.accessList = std::string(19999, 'a');
  ASSERT_EQ(PrepareLogfileHeader(header), 1);
  EXPECT_EQ(header.fixed._iChecksum, 6 + 20000 + 20000 + 4);
  EXPECT_GT(header.fixed._iChecksum, 32767);
}

TEST_F(LogfileHeaderTest, WriterRefusesWhatTheFormatCannotHold) {
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(HandWrittenHeader(), header), 1);
  const std::string path = Write(HandWrittenHeader(), "keep.d");
  const std::string expected_text = FormatMessage(msg::kHeaderFieldTooLarge);

  auto expect_refused = [&](LogfileHeader changed, const char* what) {
    host_.Clear();
    platform::File file = Open(path);
    EXPECT_EQ(WriteLogfileHeader(file, changed), -1) << what;
    ASSERT_EQ(host_.messages().size(), 1u) << what;
    EXPECT_EQ(host_.messages()[0].text, expected_text);
    file.Close();
    EXPECT_EQ(testing::ReadBytes(path), HandWrittenHeader()) << what;  // nothing written
  };
  LogfileHeader changed = header;
  changed.description.assign(32767, 'd');
  expect_refused(changed, "description of 32767 bytes");
  changed = header;
  changed.labels[0].iRevisionCount = 0;
  expect_refused(changed, "label without elements");
  changed = header;
  changed.labels[0].iRevisionCount = 21;
  expect_refused(changed, "label of 21 elements");
  changed = header;
  changed.defaultRevision->iElementCount = 21;
  expect_refused(changed, "default revision of 21 elements");
  changed = header;
  changed.supplementalInfo.assign(40000, 1);
  expect_refused(changed, "supplemental info of 40000 bytes");

  // The largest text that fits is written.
  changed = header;
  changed.description.assign(32766, 'd');
  platform::File file = Open(Write({}, "big.d"));
  EXPECT_EQ(WriteLogfileHeader(file, changed), 1);
  EXPECT_EQ(changed.fixed._iDescSize, 32767);
}

TEST_F(LogfileHeaderTest, ShortWriteIsReportedAsAWriteFailure) {
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(HandWrittenHeader(), header), 1);
  std::optional<platform::File> full =
      platform::File::Open("/dev/full", platform::OpenMode::kReadWrite);
  if (!full) GTEST_SKIP() << "no /dev/full here";
  EXPECT_EQ(WriteLogfileHeader(*full, header), -1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text,
            FormatMessage(msg::kWriteFailedBecause, platform::ErrorText(ENOSPC)))
      << host_.All();
}

TEST_F(LogfileHeaderTest, StreamsThatCannotRewindAreRefused) {
  const std::string fifo = dir_.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  platform::File pipe = Open(fifo);
  LogfileHeader header;
  EXPECT_EQ(ReadLogfileHeader(pipe, header), -1);
  EXPECT_EQ(WriteLogfileHeader(pipe, header), -1);
  const std::string expected =
      FormatMessage(msg::kSeekFailed, std::string_view("logfile_header_io"), 0);
  ASSERT_EQ(host_.messages().size(), 2u);
  for (const auto& message : host_.messages()) {
    EXPECT_TRUE(message.text.starts_with(expected.substr(0, expected.rfind(' ')))) << host_.All();
  }
}

TEST_F(LogfileHeaderTest, ReleaseClearsTheRecord) {
  LogfileHeader header;
  ASSERT_EQ(ReadFrom(HandWrittenHeader(), header), 1);
  ReleaseLogfileHeader(header);
  EXPECT_TRUE(header.accessList.empty());
  EXPECT_TRUE(header.modifierList.empty());
  EXPECT_TRUE(header.commentPrefix.empty());
  EXPECT_TRUE(header.owner.empty());
  EXPECT_TRUE(header.description.empty());
  EXPECT_TRUE(header.supplementalInfo.empty());
  EXPECT_TRUE(header.labels.empty());
  EXPECT_FALSE(header.defaultRevision.has_value());
  EXPECT_EQ(EncodeFixedHeader(header.fixed), FixedHeaderBytes{});
}

TEST_F(LogfileHeaderTest, ReadsWhatTheTestBuilderWrites) {
  // Two independent writers of the layout: the builder and the engine agree.
  LogfileBuilder builder;
  builder.Users("ann,bob").Owner("bob").CommentPrefix("-- ").Description("line one\nline two");
  builder.Attributes(0x41).SupplementalInfo("/src/a.sql", 1, 1234567890, 99);
  builder.DefaultRevision({{1, 2}, {3, 4}, {5, -1}});
  builder.AddLabel({{1, 3}}, "REL2", 1).AddLabel({{1, 2}, {1, -1}}, "FLOAT", 0);
  builder.AddRevision({.major = 1, .minor = 3, .tip = 1, .description = "d", .data = "text\n"});
  const Bytes logfile = builder.Bytes();
  LogfileHeader header;
  const std::string path = Write(logfile);
  platform::File file = Open(path);
  ASSERT_EQ(ReadLogfileHeader(file, header), 1) << host_.All();
  EXPECT_EQ(file.Tell(), static_cast<std::int64_t>(builder.HeaderBytes().size()));
  EXPECT_EQ(file.Tell(), static_cast<std::int64_t>(builder.RevisionOffsets()[0]));
  EXPECT_EQ(header.fixed._iChecksum, ComputeChecksum(header.fixed));
  EXPECT_EQ(header.fixed._iMajorNumber, 1);
  EXPECT_EQ(header.fixed._iMinorNumber, 3);
  EXPECT_EQ(header.fixed._iRevisionCount, 1);
  EXPECT_EQ(header.fixed._iAttributes, 0x41);
  EXPECT_EQ(header.owner, "bob");
  EXPECT_EQ(header.modifierList, "ann,bob");
  EXPECT_EQ(header.description, "line one\nline two");
  ASSERT_EQ(header.defaultRevision->iElementCount, 3);
  EXPECT_EQ(header.defaultRevision->elements[2].iMinor, -1);
  ASSERT_EQ(header.labels.size(), 2u);
  EXPECT_EQ(header.labels[0].text, "REL2");
  EXPECT_EQ(header.labels[1].text, "FLOAT");
  EXPECT_EQ(header.labels[1].elements[1].minor, -1);

  // Written back in place, the file is unchanged.
  ASSERT_EQ(WriteLogfileHeader(file, header), 1);
  file.Close();
  EXPECT_EQ(testing::ReadBytes(path), logfile);
}

TEST(LogfileBuilderBytes, LaysOutAMinimalLogfileAsTheTableSays) {
  LogfileBuilder builder;
  builder.Users("a").Owner("a").CommentPrefix("#").SupplementalInfo({});
  builder.AddRevision({.major = 1,
                       .minor = 0,
                       .tip = 1,
                       .putDate = 0x01020304,
                       .editDate = 0x05060708,
                       .creatorIndex = 0,
                       .description = "",
                       .data = "T"});
  Bytes expected;
  Append(expected, {6, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0,  0, 0, 0,  //
                    2, 0, 2, 0, 2, 0, 2, 0, 1, 0, 0, 0, 17, 0});
  Append(expected, {'a', 0, 'a', 0, '#', 0, 'a', 0, 0});
  Append(expected, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,  //
                    4, 3, 2, 1, 8, 7, 6, 5, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 'T'});
  EXPECT_EQ(builder.Bytes(), expected);
}

TEST(RevisionHeaderLayout, DecodesAndEncodesTheTable) {
  const Bytes bytes = HandWrittenRevision();
  const std::span<const std::uint8_t, kRevisionHeaderSize> head(bytes.data(), kRevisionHeaderSize);
  tRevHdr header = DecodeRevisionHeader(head);
  EXPECT_EQ(header.major, 1);
  EXPECT_EQ(header.minor, 3);
  EXPECT_EQ(header._iLocked, 0);
  EXPECT_EQ(header._iBranchCount, 0);
  EXPECT_EQ(header._iDepth, 0);
  EXPECT_EQ(header._cTip, 1);
  EXPECT_EQ(header._cCompressed, 0);
  EXPECT_EQ(header.FilePutDate, 0x40302010u);
  EXPECT_EQ(header.FileEditDate, 0x41312111u);
  EXPECT_EQ(header.RevSize, 3u);
  EXPECT_EQ(header.LockerIndex, 0);
  EXPECT_EQ(header.CreatorIndex, 1);
  EXPECT_EQ(header._iDescSize, 2);
  const auto encoded = EncodeRevisionHeader(header);
  EXPECT_TRUE(std::equal(encoded.begin(), encoded.end(), bytes.begin()));

  // Every field in its own place: a record with all fields distinct.
  Bytes distinct;
  for (int i = 0; i < 32; ++i) distinct.push_back(static_cast<std::uint8_t>(0x80 + i));
  header =
      DecodeRevisionHeader(std::span<const std::uint8_t, kRevisionHeaderSize>(distinct.data(), 32));
  EXPECT_EQ(header.major, static_cast<std::int16_t>(0x8180));
  EXPECT_EQ(header._iDepth, static_cast<std::int16_t>(0x8988));
  EXPECT_EQ(header._cTip, 0x8A);
  EXPECT_EQ(header._cCompressed, 0x8B);
  EXPECT_EQ(header.reserved, 0x8D8C);
  EXPECT_EQ(header.FilePutDate, 0x91908F8Eu);
  EXPECT_EQ(header.RevSize, 0x99989796u);
  EXPECT_EQ(header._iDescSize, static_cast<std::int16_t>(0x9F9E));
  const auto again = EncodeRevisionHeader(header);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), distinct.begin()));
}

}  // namespace
}  // namespace tarn
