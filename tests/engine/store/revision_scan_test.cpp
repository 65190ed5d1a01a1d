// Opening logfiles and locating revisions in them, on logfiles written by
// the tests' own builder straight from the layout tables.
#include "engine/store/revision_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/revisions/labels.h"
#include "engine/store/disk_names.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/logfile_open.h"
#include "engine/support/message_catalogue.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LogfileBuilder;
using testing::RecordingHost;
using testing::BuiltRevision;

constexpr const char* kWorkfile = "main.c";

// The records of the family logfile, in file order: the trunk newest first,
// each revision directly followed by the branches started at it.
struct Expected {
  const char* number;
  BuiltRevision revision;
};

const std::vector<Expected>& Family() {
  static const std::vector<Expected> family = {
      {"1.3", {.major = 1, .minor = 3, .tip = 1, .description = "trunk tip", .data = "text 1.3\n"}},
      {"1.2", {.major = 1, .minor = 2, .branchCount = 2, .description = "two branches"}},
      {"1.2.1.1", {.major = 1, .minor = 1, .branchCount = 1, .depth = 1}},
      {"1.2.1.1.1.1", {.major = 1, .minor = 1, .depth = 2}},
      {"1.2.1.1.1.2", {.major = 1, .minor = 2, .depth = 2, .tip = 1}},
      {"1.2.1.2", {.major = 1, .minor = 2, .depth = 1, .tip = 1, .data = "delta"}},
      {"1.2.2.1", {.major = 2, .minor = 1, .depth = 1, .tip = 1}},
      {"1.1", {.major = 1, .minor = 1}},
      {"1.0", {.major = 1, .minor = 0, .description = "first"}},
  };
  return family;
}

LogfileBuilder FamilyBuilder() {
  LogfileBuilder builder;
  builder.Users("alice,bob").Owner("alice").Description("module");
  for (const Expected& record : Family()) builder.AddRevision(record.revision);
  builder.AddLabel({{1, 2}, {1, -1}}, "FLOAT", 0)
      .AddLabel({{1, 2}, {1, 1}}, "FIXED", 1)
      .AddLabel({{1, 2}, {1, 1}, {1, -1}}, "DEEP", 0)
      .AddLabel({{1, 2}}, "DUP", 0)
      .AddLabel({{1, 0}}, "DUP", 1);
  return builder;
}

std::size_t IndexOf(std::string_view number) {
  for (std::size_t i = 0; i < Family().size(); ++i) {
    if (Family()[i].number == number) return i;
  }
  ADD_FAILURE() << number << " is not in the family";
  return 0;
}

tarnCommandRevDesc Request(std::string_view text) {
  tarnCommandRevDesc request;
  EXPECT_EQ(ParseRevisionRequest(text, 0, request), RevisionParse::kParsed) << text;
  return request;
}

class RevisionScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    env_.logfileDirectory = dir_.path().string();
    env_.retryCount = 1;
  }

  std::string LogfilePath() const { return dir_.File("main.d"); }

  void Write(const LogfileBuilder& builder) {
    builder.WriteTo(LogfilePath());
    offsets_ = builder.RevisionOffsets();
  }
  void WriteBytes(const std::vector<std::uint8_t>& bytes) {
    testing::WriteBytes(LogfilePath(), bytes);
  }

  // Opens the logfile and stands on its first revision record.
  platform::File OpenAtRevisions() {
    std::string path;
    std::optional<platform::File> stream = OpenLogfile(kWorkfile, env_, path);
    EXPECT_TRUE(stream.has_value());
    if (!stream) throw std::runtime_error("logfile did not open");
    EXPECT_EQ(SkipHeader(*stream), 1);
    return std::move(*stream);
  }

  // Finds `text` and checks that the record found is family member
  // `expected` and that the stream stayed where it was.
  void ExpectFound(platform::File& stream, std::string_view text, std::string_view expected) {
    const std::int64_t before = *stream.Tell();
    tRevHdr found;
    std::int64_t offset = -1;
    ASSERT_EQ(FindRevision(Request(text), stream, found, offset), 1) << text;
    const std::size_t index = IndexOf(expected);
    EXPECT_EQ(offset, static_cast<std::int64_t>(offsets_[index])) << text;
    EXPECT_EQ(found.major, Family()[index].revision.major) << text;
    EXPECT_EQ(found.minor, Family()[index].revision.minor) << text;
    EXPECT_EQ(found._iDepth, Family()[index].revision.depth) << text;
    EXPECT_EQ(*stream.Tell(), before) << text;
  }

  testing::TempDir dir_;
  tarnEnvironVars env_;
  std::vector<std::size_t> offsets_;
};

TEST_F(RevisionScanTest, OpenChecksTheFixedHeaderAndLeavesTheStreamAtTheStart) {
  Write(FamilyBuilder());
  RecordingHost host;
  std::string path;
  std::optional<platform::File> stream = OpenLogfile(kWorkfile, env_, path);
  ASSERT_TRUE(stream.has_value()) << host.All();
  EXPECT_EQ(path, LogfilePath());
  EXPECT_EQ(*stream->Tell(), 0);
  EXPECT_TRUE(host.messages().empty());
}

TEST_F(RevisionScanTest, AHeaderWordSumBeyond32767StillVerifies) {
  LogfileBuilder builder = FamilyBuilder();
  builder.Trunk(30000, 30000).Attributes(0xFFFF);
  Write(builder);
  RecordingHost host;
  std::string path;
  EXPECT_TRUE(OpenLogfile(kWorkfile, env_, path).has_value()) << host.All();
}

TEST_F(RevisionScanTest, RefusedLogfilesNameTheirReason) {
  struct Case {
    const char* what;
    LogfileBuilder builder;
    const char* fragment;  // from the catalogue text, with the argument
    int kind;
  };
  std::vector<Case> cases;
  cases.push_back({"format 5", FamilyBuilder().Patch(testing::kAtFormat, 5), "format 5", kAlert});
  cases.push_back(
      {"checksum", FamilyBuilder().Patch(testing::kAtChecksum, 0x1234), "checksum", kAlert});
  for (const Case& c : cases) {
    Write(c.builder);
    RecordingHost host;
    std::string path;
    EXPECT_FALSE(OpenLogfile(kWorkfile, env_, path).has_value()) << c.what;
    ASSERT_EQ(host.messages().size(), 1u) << c.what << host.All();
    EXPECT_EQ(host.messages()[0].kind, c.kind) << c.what;
    EXPECT_TRUE(host.Saw(c.fragment)) << c.what << ": " << host.All();
    EXPECT_TRUE(host.Saw(LogfilePath())) << c.what << ": " << host.All();
  }
}

TEST_F(RevisionScanTest, MissingOrCutLogfilesAreReported) {
  {
    RecordingHost host;
    std::string path;
    EXPECT_FALSE(OpenLogfile(kWorkfile, env_, path).has_value());
    EXPECT_EQ(path, LogfilePath());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].kind, kAlert);
    EXPECT_TRUE(host.Saw(LogfilePath())) << host.All();
    EXPECT_TRUE(host.Saw(std::strerror(ENOENT))) << host.All();
  }
  {
    std::vector<std::uint8_t> bytes = FamilyBuilder().Bytes();
    bytes.resize(20);
    WriteBytes(bytes);
    RecordingHost host;
    std::string path;
    EXPECT_FALSE(OpenLogfile(kWorkfile, env_, path).has_value());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].kind, kAlert);
    EXPECT_TRUE(host.Saw("damaged")) << host.All();
  }
}

// A protected logfile is opened as it is: reading needs neither a lock
// file nor write permission, and leaves its mode, inode and bytes alone.
TEST_F(RevisionScanTest, AReadOnlyLogfileIsOpenedWithoutChangingIt) {
  Write(FamilyBuilder());
  ::chmod(LogfilePath().c_str(), 0444);
  struct stat before {};
  ASSERT_EQ(::stat(LogfilePath().c_str(), &before), 0);
  const std::vector<std::uint8_t> bytes = testing::ReadBytes(LogfilePath());
  std::string path;
  std::optional<platform::File> stream = OpenLogfile(kWorkfile, env_, path);
  ASSERT_TRUE(stream.has_value());
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(*stream, header), 1);
  EXPECT_EQ(path, LogfilePath());
  stream.reset();
  struct stat after {};
  ASSERT_EQ(::stat(LogfilePath().c_str(), &after), 0);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(testing::ReadBytes(LogfilePath()), bytes);
  EXPECT_FALSE(std::filesystem::exists(LockFileName(LogfilePath())));
}

// Another member's writer replaces the logfile by a rename between a
// reader's open and its reads: the reader's one descriptor still holds the
// logfile it opened, whole, and reads nothing of the new one.
TEST_F(RevisionScanTest, AReaderReadsTheLogfileItOpenedWhateverReplacesIt) {
  Write(FamilyBuilder());
  const std::vector<std::uint8_t> opened = testing::ReadBytes(LogfilePath());
  platform::File stream = OpenAtRevisions();
  LogfileBuilder other;
  other.Users("carol").Owner("carol").Description("another module");
  other.AddRevision({.major = 1, .minor = 0, .description = "other"});
  other.WriteTo(dir_.File("replacement"));
  std::filesystem::rename(dir_.File("replacement"), LogfilePath());
  ASSERT_NE(testing::ReadBytes(LogfilePath()), opened);

  ExpectFound(stream, "1.0", "1.0");
  ExpectFound(stream, "1.2.1.1", "1.2.1.1");
  ASSERT_TRUE(stream.Seek(0));
  std::vector<std::uint8_t> read(opened.size() + 1);
  std::size_t got = 0;
  for (std::ptrdiff_t n = 0; (n = stream.Read(std::span(read).subspan(got))) > 0;) {
    got += static_cast<std::size_t>(n);
  }
  read.resize(got);
  EXPECT_EQ(read, opened);
}

TEST_F(RevisionScanTest, SkipHeaderStopsAtTheFirstRecord) {
  LogfileBuilder builder = FamilyBuilder();
  builder.DefaultRevision({{1, 2}, {2, 1}});
  Write(builder);
  platform::File stream = OpenAtRevisions();
  EXPECT_EQ(*stream.Tell(), static_cast<std::int64_t>(offsets_[0]));
  // The header reader agrees.
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(stream, header), 1);
  EXPECT_EQ(*stream.Tell(), static_cast<std::int64_t>(offsets_[0]));
}

TEST_F(RevisionScanTest, EveryRecordGetsItsFullNumber) {
  Write(FamilyBuilder());
  platform::File stream = OpenAtRevisions();
  RevisionScanner scanner(stream, *stream.Tell());
  RevisionRecord record;
  std::vector<std::string> numbers;
  while (scanner.Next(record) == RevisionScanner::Step::kRecord) {
    EXPECT_EQ(record.offset, static_cast<std::int64_t>(offsets_[numbers.size()]));
    numbers.push_back(FormatRevision(record.number));
  }
  std::vector<std::string> expected;
  for (const Expected& e : Family()) expected.emplace_back(e.number);
  // 1.2.2.1 follows a depth-2 record and still takes element 0 from 1.2.
  EXPECT_EQ(numbers, expected);
}

TEST_F(RevisionScanTest, FindsRevisionsByNumber) {
  Write(FamilyBuilder());
  platform::File stream = OpenAtRevisions();
  RecordingHost host;
  ExpectFound(stream, "1.3", "1.3");
  ExpectFound(stream, "1.0", "1.0");
  ExpectFound(stream, "1.2.1.1", "1.2.1.1");
  ExpectFound(stream, "1.2.1", "1.2.1.2");  // newest of branch 1 of 1.2
  ExpectFound(stream, "1.2.1.1.1", "1.2.1.1.1.2");
  ExpectFound(stream, "1.2.2", "1.2.2.1");
  ExpectFound(stream, "1", "1.3");
  ExpectFound(stream, MessageText(msg::kWordTrunkTip.number), "1.3");
  EXPECT_TRUE(host.messages().empty()) << host.All();
}

TEST_F(RevisionScanTest, UnfoundRequestsLeaveTheStreamWhereItWas) {
  Write(FamilyBuilder());
  platform::File stream = OpenAtRevisions();
  RecordingHost host;
  const std::int64_t start = *stream.Tell();
  for (std::string_view text : {"1.4", "1.2.3", "2", "1.2.1.3", "1.2.1.1.1.3", "1.3.1"}) {
    tRevHdr found;
    std::int64_t offset = 0;
    EXPECT_EQ(FindRevision(Request(text), stream, found, offset), -1) << text;
    EXPECT_EQ(*stream.Tell(), start) << text;
  }
  EXPECT_TRUE(host.messages().empty()) << host.All();
}

TEST_F(RevisionScanTest, FindsRevisionsByLabel) {
  Write(FamilyBuilder());
  std::string path;
  std::optional<platform::File> stream = OpenLogfile(kWorkfile, env_, path);
  ASSERT_TRUE(stream);
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(*stream, header), 1);
  const std::pair<const char*, const char*> cases[] = {
      {"FLOAT", "1.2.1.2"}, {"FIXED", "1.2.1.1"}, {"DEEP", "1.2.1.1.1.2"}, {"DUP", "1.2"}};
  for (const auto& [label, expected] : cases) {
    const LabelRecord* record = FindLabel(header, label);
    ASSERT_NE(record, nullptr) << label;
    tRevHdr found;
    std::int64_t offset = 0;
    ASSERT_EQ(FindRevision(LabelToRequest(*record), *stream, found, offset), 1) << label;
    EXPECT_EQ(offset, static_cast<std::int64_t>(offsets_[IndexOf(expected)])) << label;
  }
  EXPECT_EQ(FindLabel(header, "float"), nullptr);
}

TEST_F(RevisionScanTest, DefaultRevisionIsTheTrunkTipEvenWhenLocked) {
  std::vector<Expected> family = Family();
  LogfileBuilder builder;
  BuiltRevision tip = family[0].revision;
  tip.locked = 1;
  builder.AddRevision(tip);
  for (std::size_t i = 1; i < family.size(); ++i) builder.AddRevision(family[i].revision);
  Write(builder);
  platform::File stream = OpenAtRevisions();
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(stream, header), 1);
  tarnCommandRevDesc wanted;
  ASSERT_EQ(DefaultRevision(header, wanted), 1);
  EXPECT_EQ(FormatRevision(wanted), "1.3");
  ExpectFound(stream, "1.3", "1.3");
  tRevHdr found;
  std::int64_t offset = 0;
  ASSERT_EQ(FindRevision(wanted, stream, found, offset), 1);
  EXPECT_EQ(offset, static_cast<std::int64_t>(offsets_[0]));
  EXPECT_EQ(found._iLocked, 1);
}

TEST_F(RevisionScanTest, StoredDefaultRevisionWins) {
  LogfileBuilder builder = FamilyBuilder();
  // Branch 2 of 1.2, newest revision.
  builder.DefaultRevisionWithFlags({{0, 1, 0, 2}, {0, 2, 2, -1}});
  Write(builder);
  platform::File stream = OpenAtRevisions();
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(stream, header), 1);
  tarnCommandRevDesc wanted;
  ASSERT_EQ(DefaultRevision(header, wanted), 1);
  EXPECT_EQ(wanted.iElementCount, 2);
  EXPECT_EQ(wanted.elements[1], (RevElement{kMatchExact, 2, kMatchNewest, -1}));
  tRevHdr found;
  std::int64_t offset = 0;
  ASSERT_EQ(FindRevision(wanted, stream, found, offset), 1);
  EXPECT_EQ(offset, static_cast<std::int64_t>(offsets_[IndexOf("1.2.2.1")]));
}

TEST_F(RevisionScanTest, BranchTipIsTheNewestOfTheNamedLine) {
  Write(FamilyBuilder());
  platform::File stream = OpenAtRevisions();
  const std::int64_t start = *stream.Tell();
  const std::pair<const char*, const char*> cases[] = {{"1.2.1", "1.2.1.2"},
                                                       {"1.2.1.1", "1.2.1.2"},
                                                       {"1.2.1.1.1", "1.2.1.1.1.2"},
                                                       {"1.2.2.1", "1.2.2.1"},
                                                       {"1.0", "1.3"}};
  for (const auto& [request, expected] : cases) {
    tRevHdr tip;
    tarnCommandRevDesc tipNumber;
    ASSERT_EQ(FindBranchTip(stream, Request(request), tip, tipNumber), 1) << request;
    EXPECT_EQ(FormatRevision(tipNumber), expected) << request;
    EXPECT_EQ(tip._cTip, 1);
    EXPECT_EQ(*stream.Tell(), start);
  }
  tRevHdr tip;
  tarnCommandRevDesc tipNumber;
  EXPECT_EQ(FindBranchTip(stream, Request("1.2.3"), tip, tipNumber), -1);
  EXPECT_EQ(FindBranchTip(stream, Request("1.1.1"), tip, tipNumber), -1);
  EXPECT_EQ(*stream.Tell(), start);
}

TEST_F(RevisionScanTest, ALogfileWithOneRevision) {
  LogfileBuilder builder;
  builder.AddRevision({.major = 1, .minor = 0, .tip = 1, .data = "whole text\n"});
  Write(builder);
  platform::File stream = OpenAtRevisions();
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(stream, header), 1);
  tarnCommandRevDesc wanted;
  ASSERT_EQ(DefaultRevision(header, wanted), 1);
  EXPECT_EQ(FormatRevision(wanted), "1.0");
  tRevHdr found;
  std::int64_t offset = 0;
  ASSERT_EQ(FindRevision(wanted, stream, found, offset), 1);
  EXPECT_EQ(found._cTip, 1);

  RevisionScanner scanner(stream, offset);
  RevisionRecord record;
  ASSERT_EQ(scanner.Next(record), RevisionScanner::Step::kRecord);
  ByteBuffer data;
  ASSERT_EQ(ReadRevisionData(stream, record, data), 1);
  EXPECT_EQ(std::string(data.begin(), data.end()), "whole text\n");
  EXPECT_EQ(scanner.Next(record), RevisionScanner::Step::kEnd);
}

TEST_F(RevisionScanTest, AnEmptyRevisionSectionIsAReadFailure) {
  Write(LogfileBuilder());
  platform::File stream = OpenAtRevisions();
  RecordingHost host;
  tRevHdr found;
  std::int64_t offset = 0;
  EXPECT_EQ(FindRevision(Request("1.0"), stream, found, offset), -1);
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_TRUE(host.Saw("revision_scan")) << host.All();
}

TEST_F(RevisionScanTest, DescriptionsAndDataAreReadFromTheirRecords) {
  Write(FamilyBuilder());
  platform::File stream = OpenAtRevisions();
  RevisionScanner scanner(stream, *stream.Tell());
  RevisionRecord record;
  ASSERT_EQ(scanner.Next(record), RevisionScanner::Step::kRecord);
  std::string description;
  ASSERT_EQ(ReadRevisionDescription(stream, record, description), 1);
  EXPECT_EQ(description, "trunk tip");
  ByteBuffer data;
  ASSERT_EQ(ReadRevisionData(stream, record, data), 1);
  EXPECT_EQ(std::string(data.begin(), data.end()), "text 1.3\n");
}

// Damaged revision sections: every damage is reported once, as damage, and
// nothing past the end of the file is read or allocated.
class DamagedRecordTest : public RevisionScanTest {
 protected:
  // Looks for 1.0, the last record, so the scan must pass the damage.
  void ExpectScanFails(const char* what) {
    platform::File stream = OpenAtRevisions();
    RecordingHost host;
    const std::int64_t start = *stream.Tell();
    tRevHdr found;
    std::int64_t offset = 0;
    EXPECT_EQ(FindRevision(Request("1.0"), stream, found, offset), -1) << what;
    ASSERT_EQ(host.messages().size(), 1u) << what << host.All();
    EXPECT_EQ(host.messages()[0].kind, kAlert);
    EXPECT_TRUE(host.Saw("damaged")) << what << host.All();
    EXPECT_EQ(*stream.Tell(), start);
    // Records before the damage are still found.
    ExpectFound(stream, "1.3", "1.3");
  }

  LogfileBuilder WithSecondRecord(const BuiltRevision& second) {
    LogfileBuilder builder;
    for (std::size_t i = 0; i < Family().size(); ++i) {
      builder.AddRevision(i == 1 ? second : Family()[i].revision);
    }
    return builder;
  }
};

TEST_F(DamagedRecordTest, RecordCutShortInItsData) {
  std::vector<std::uint8_t> bytes = FamilyBuilder().Bytes();
  offsets_ = FamilyBuilder().RevisionOffsets();
  bytes.pop_back();  // the last record's description loses its NUL
  WriteBytes(bytes);
  ExpectScanFails("cut in data");
}

TEST_F(DamagedRecordTest, RecordCutShortInItsHeader) {
  std::vector<std::uint8_t> bytes = FamilyBuilder().Bytes();
  offsets_ = FamilyBuilder().RevisionOffsets();
  bytes.resize(offsets_.back() + 10);
  WriteBytes(bytes);
  ExpectScanFails("cut in header");
}

TEST_F(DamagedRecordTest, HugeRevSizeIsRefusedWithoutAllocating) {
  BuiltRevision second = Family()[1].revision;
  second.revSize = 0x7FFFFFFF;
  Write(WithSecondRecord(second));
  ExpectScanFails("2 GB RevSize");

  // Reading a record with such a size directly is refused too.
  platform::File stream = OpenAtRevisions();
  RecordingHost host;
  RevisionRecord record;
  record.offset = static_cast<std::int64_t>(offsets_[1]);
  record.header._iDescSize = 13;
  record.header.RevSize = 0xFFFFFFFF;
  ByteBuffer data;
  EXPECT_EQ(ReadRevisionData(stream, record, data), -1);
  EXPECT_TRUE(data.empty());
  record.header._iDescSize = 32767;
  std::string description;
  EXPECT_EQ(ReadRevisionDescription(stream, record, description), -1);
  EXPECT_EQ(host.messages().size(), 2u);
}

TEST_F(DamagedRecordTest, NegativeDescriptionSizeIsRefused) {
  BuiltRevision second = Family()[1].revision;
  second.descSize = -40;  // would seek back into the first record forever
  Write(WithSecondRecord(second));
  ExpectScanFails("negative description size");
}

TEST_F(DamagedRecordTest, DepthBeyondTheDescriptorIsRefused) {
  BuiltRevision second = Family()[1].revision;
  second.depth = 20;
  Write(WithSecondRecord(second));
  ExpectScanFails("depth 20");
}

TEST_F(RevisionScanTest, LabelWithTwentyOneElementsIsRefused) {
  std::vector<testing::RevisionElement> elements(21, {1, 1});
  LogfileBuilder builder = FamilyBuilder();
  builder.AddLabel(elements, "TOO DEEP", 0);
  Write(builder);
  RecordingHost host;
  std::string path;
  std::optional<platform::File> stream = OpenLogfile(kWorkfile, env_, path);
  ASSERT_TRUE(stream);
  LogfileHeader header;
  EXPECT_EQ(ReadLogfileHeader(*stream, header), -1);
  EXPECT_TRUE(header.labels.empty());
  EXPECT_EQ(SkipHeader(*stream), -1);
  EXPECT_EQ(host.messages().size(), 2u) << host.All();

  // Twenty are fine.
  elements.pop_back();
  LogfileBuilder twenty = FamilyBuilder();
  twenty.AddLabel(elements, "DEEPEST", 0);
  Write(twenty);
  platform::File atRevisions = OpenAtRevisions();
  EXPECT_EQ(*atRevisions.Tell(), static_cast<std::int64_t>(offsets_[0]));
  ASSERT_EQ(ReadLogfileHeader(atRevisions, header), 1);
  const LabelRecord* deepest = FindLabel(header, "DEEPEST");
  ASSERT_NE(deepest, nullptr);
  EXPECT_EQ(deepest->iRevisionCount, 20);
}

TEST_F(RevisionScanTest, HeaderThatClaimsMoreThanTheFileHoldsIsRefused) {
  LogfileBuilder builder;
  builder.Patch(testing::kAtDescSize, 30000);
  Write(builder);
  std::string path;
  std::optional<platform::File> stream = OpenLogfile(kWorkfile, env_, path);
  ASSERT_TRUE(stream);
  RecordingHost host;
  EXPECT_EQ(SkipHeader(*stream), -1);
  ASSERT_EQ(host.messages().size(), 1u);

  LogfileBuilder negative;
  negative.Patch(testing::kAtOwnerSize, 0xFFF0);
  Write(negative);
  stream = OpenLogfile(kWorkfile, env_, path);
  ASSERT_TRUE(stream);
  EXPECT_EQ(SkipHeader(*stream), -1);
  EXPECT_EQ(host.messages().size(), 2u);
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

// Record damage that leaves every size intact but breaks the order every
// writer keeps: a full scan reports the logfile as damaged instead of
// handing out records whose numbers it cannot vouch for.
TEST_F(RevisionScanTest, RecordsOutOfOrderAreReportedAsDamage) {
  using Damage = void (*)(std::vector<Expected>&);
  const std::vector<std::pair<const char*, Damage>> cases = {
      {"branch record moved to the trunk",
       [](std::vector<Expected>& f) { f[IndexOf("1.2.2.1")].revision.depth = 0; }},
      {"two levels deeper at once",
       [](std::vector<Expected>& f) { f[IndexOf("1.2.1.1")].revision.depth = 2; }},
      {"trunk ascending",
       [](std::vector<Expected>& f) { f[IndexOf("1.1")].revision.minor = 7; }},
      {"trunk tip not first", [](std::vector<Expected>& f) { f[0].revision.tip = 0; }},
      {"second tip on the trunk", [](std::vector<Expected>& f) { f[IndexOf("1.1")].revision.tip = 1; }},
      {"branch without its tip",
       [](std::vector<Expected>& f) { f[IndexOf("1.2.1.2")].revision.tip = 0; }},
      {"tip in the middle of a branch",
       [](std::vector<Expected>& f) { f[IndexOf("1.2.1.1")].revision.tip = 1; }},
      {"branch numbered beyond its parent's count",
       [](std::vector<Expected>& f) { f[IndexOf("1.2.2.1")].revision.major = 3; }},
      {"branch revisions descending",
       [](std::vector<Expected>& f) { f[IndexOf("1.2.1.2")].revision.minor = 1; }},
      {"compressed flag out of range",
       [](std::vector<Expected>& f) { f[IndexOf("1.1")].revision.compressed = 2; }},
      {"empty description size",
       [](std::vector<Expected>& f) { f[IndexOf("1.1")].revision.descSize = 0; }},
  };
  for (const auto& [what, damage] : cases) {
    std::vector<Expected> family = Family();
    damage(family);
    LogfileBuilder builder;
    builder.Users("alice,bob").Owner("alice");
    for (const Expected& record : family) builder.AddRevision(record.revision);
    Write(builder);
    RecordingHost host;
    platform::File stream = OpenAtRevisions();
    tRevHdr found;
    std::int64_t offset = -1;
    // 1.9 is in no logfile: the search reads every record.
    EXPECT_EQ(FindRevision(Request("1.9"), stream, found, offset), -1) << what;
    EXPECT_TRUE(host.Saw("damaged")) << what << ": " << host.All();
  }
  // The family itself is whole.
  Write(FamilyBuilder());
  RecordingHost host;
  platform::File stream = OpenAtRevisions();
  tRevHdr found;
  std::int64_t offset = -1;
  EXPECT_EQ(FindRevision(Request("1.9"), stream, found, offset), -1);
  EXPECT_TRUE(host.messages().empty()) << host.All();
}

}  // namespace
}  // namespace tarn
