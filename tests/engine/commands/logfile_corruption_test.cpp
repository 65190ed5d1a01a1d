// Damaged logfiles against every command. Logfiles of every shape (text,
// binary, compressed, branches, labels, locks) are written by the commands
// themselves; then each field of the fixed header, of the label area and of
// each revision header (and the head of compressed data) is set to values
// chosen to break it, one at a time, the header checksum kept consistent so
// that the damage reaches the readers. For each damaged copy:
//
//   - a get of any revision either fails or returns exactly that revision's
//     text: where the format can tell, wrong text never comes with success;
//   - a writer (lock, unlock, label, check-in) either refuses and leaves the
//     damaged file byte for byte as it was, or succeeds without losing a
//     revision that could be had before;
//   - nothing but the logfile, the workfile (and the journal) is left.
//
// The values and the writer run on each copy are chosen deterministically,
// so a failure names a case that reproduces.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/commands/get_command.h"
#include "engine/commands/label_command.h"
#include "engine/commands/lock_command.h"
#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/raw_logfile.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::RawLogfile;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kName = "m.c";

std::string Opt(const MessageId& word) { return CheckInSandbox::Option(word.number); }

// One logfile shape: its bytes and the text of every revision in it.
struct Shape {
  std::string name;
  Bytes bytes;
  std::map<std::string, std::string> texts;  // revision number -> text
};

// A field to damage: where it is, how wide, and what it holds.
struct Field {
  std::size_t offset = 0;
  std::size_t width = 0;
  std::string what;
};

std::uint64_t LoadLittle(const Bytes& bytes, std::size_t offset, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= std::uint64_t{bytes[offset + i]} << (8 * i);
  return value;
}

void StoreLittle(Bytes& bytes, std::size_t offset, std::size_t width, std::uint64_t value) {
  for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The fixed header's checksum: the sum of the 16-bit words at 0..26.
void FixChecksum(Bytes& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t offset = 0; offset < 28; offset += 2) {
    sum += static_cast<std::uint32_t>(LoadLittle(bytes, offset, 2));
  }
  StoreLittle(bytes, 28, 2, sum & 0xFFFF);
}

// Values that break a field of `width` bytes now holding `value`.
std::vector<std::uint64_t> DamagingValues(std::size_t width, std::uint64_t value) {
  const std::uint64_t all = width == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * width)) - 1;
  std::set<std::uint64_t> values = {0, 1, all, (value + 1) & all, (value - 1) & all,
                                    all >> 1};
  values.erase(value);
  return {values.begin(), values.end()};
}

class LogfileCorruptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.env.journalPath = box_.Root() + "/";
    box_.env.journalName = "journal";
  }

  // Builds `shape` by running the commands; `attributes` for the new logfile.
  Shape Build(const std::string& name, std::uint16_t attributes, bool branches, bool labels,
              bool locks) {
    Clear();
    box_.env.attributes = attributes;
    Shape shape{name, {}, {}};
    auto put = [&](const std::string& text, std::vector<std::string> options = {}) {
      box_.Write(kName, text);
      options.push_back(Opt(msg::kOptionText));
      options.push_back("put");
      EXPECT_EQ(box_.CheckIn(kName, options), 1) << box_.host.All();
    };
    std::string text;
    for (int k = 0; k < 4; ++k) {
      text += "line " + std::to_string(k) + " of the text, long enough to compress well well well\n";
      if ((attributes & kAttrBinaryFile) != 0) text += std::string(1, static_cast<char>(k)) + '\0';
      put(text);
      shape.texts["1." + std::to_string(k)] = text;
    }
    if (branches) {
      box_.env.attributes = attributes | kAttrCheckLock;
      EXPECT_EQ(Command("tlock", {Opt(msg::kOptionRevision), "1.1", kName}), 1) << box_.host.All();
      put("branch one\n" + shape.texts["1.1"], {Opt(msg::kOptionNewBranch)});
      shape.texts["1.1.1.1"] = "branch one\n" + shape.texts["1.1"];
      EXPECT_EQ(Command("tlock", {Opt(msg::kOptionRevision), "1.1.1.1", kName}), 1);
      put("branch two\n" + shape.texts["1.1"]);
      shape.texts["1.1.1.2"] = "branch two\n" + shape.texts["1.1"];
    }
    if (labels) {
      EXPECT_EQ(Command("tstamp", {Opt(msg::kOptionRevision), "1.1", Opt(msg::kOptionLabel),
                                   "REL1", kName}),
                1)
          << box_.host.All();
      EXPECT_EQ(Command("tstamp", {Opt(msg::kOptionLabel), "REL2", kName}), 1);
    }
    if (locks) {
      box_.env.attributes = attributes | kAttrCheckLock;
      EXPECT_EQ(Command("tlock", {Opt(msg::kOptionRevision), "1.2", kName}), 1) << box_.host.All();
    }
    shape.bytes = testing::ReadBytes(box_.Logfile(kName));
    return shape;
  }

  // Runs one command in-process: "tget", "tlock", "tunlock" or "tstamp".
  int Command(const std::string& program, std::vector<std::string> words) {
    words.insert(words.begin(), program);
    tarnEnvironVars env = box_.env;
    if (program == "tget") {
      GetCommandArgs args;
      if (ParseGetCommandLine(words, args) != 1) return -2;
      return RunGetCommand(args, env);
    }
    if (program == "tlock" || program == "tunlock") {
      LockCommandArgs args;
      if (program == "tlock") {
        if (ParseLockCommandLine(words, args) != 1) return -2;
        return LockRevision(args, env);
      }
      if (ParseUnlockCommandLine(words, args) != 1) return -2;
      return UnlockRevision(args, env);
    }
    LabelCommandArgs args;
    if (ParseLabelCommandLine(words, args) != 1) return -2;
    return LabelRevision(args, env);
  }

  // The text of `revision` as a get returns it, or nothing when it fails.
  std::optional<std::string> Get(const std::string& revision) {
    const std::string out = box_.Work("out");
    fs::remove(out);
    const int status = Command("tget", {Opt(msg::kOptionQuiet), Opt(msg::kOptionOutput), out,
                                        Opt(msg::kOptionRevision), revision, kName});
    if (status != 1) return std::nullopt;
    std::optional<std::string> text = testing::ReadText(out);
    fs::remove(out);
    return text;
  }

  // The revisions of `shape` that a get returns correctly now; a wrong text
  // with success fails the test.
  std::set<std::string> CheckGets(const Shape& shape, const std::string& context) {
    std::set<std::string> good;
    for (const auto& [number, text] : shape.texts) {
      const std::optional<std::string> got = Get(number);
      if (!got) continue;
      EXPECT_EQ(*got, text) << context << ": get " << number << " returned wrong text\n"
                            << box_.host.All();
      if (*got == text) good.insert(number);
    }
    return good;
  }

  // Runs writer number `which` on the logfile; 1 when it succeeded.
  int Write(int which) {
    switch (which % 4) {
      case 0:
        return Command("tlock", {kName});
      case 1:
        return Command("tunlock", {Opt(msg::kOptionRevision), "1.2", kName});
      case 2:
        return Command("tstamp", {Opt(msg::kOptionLabel), "NEW", kName});
      default:
        box_.Write(kName, "a new text\n");
        return box_.CheckIn(kName, {Opt(msg::kOptionText), "new"});
    }
  }

  // Empties the scratch directories.
  void Clear() {
    for (const std::string& dir : {box_.Logs(), box_.Work(""), box_.Temp()}) {
      for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
    }
    fs::remove(box_.Root() + "/journal");
  }

  // Nothing but the logfile (and the workfile) is there.
  void ExpectNothingElse(const std::string& context) {
    for (const std::string& dir : {box_.Logs(), box_.Work(""), box_.Temp()}) {
      for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string path = entry.path().string();
        EXPECT_TRUE(path == box_.Logfile(kName) || path == box_.Work(kName))
            << context << ": left " << path;
      }
    }
  }

  // Every field that damage can hit in `shape`.
  static std::vector<Field> Fields(const Shape& shape) {
    std::vector<Field> fields;
    static const char* const kFixed[] = {"format",   "major",     "minor",   "attributes", "labels",
                                         "revisions", "default",  "locks",   "access",     "modifiers",
                                         "comment",  "owner",     "desc",    "suppl"};
    for (std::size_t i = 0; i < 14; ++i) fields.push_back({2 * i, 2, kFixed[i]});
    const std::optional<RawLogfile> log = testing::ParseRawLogfile(shape.bytes);
    if (!log) return fields;
    // The label area: the heads of the label records lie between the strings
    // and the first revision; every other byte of it is sampled.
    std::size_t stringsEnd = 30;
    for (std::size_t offset = 16; offset <= 26; offset += 2) {
      stringsEnd += LoadLittle(shape.bytes, offset, 2);
    }
    if (const std::uint64_t count = LoadLittle(shape.bytes, 12, 2); count > 0) {
      stringsEnd += 16 + 8 * count;
    }
    for (std::size_t offset = stringsEnd; offset + 2 <= log->headerSize; offset += 3) {
      fields.push_back({offset, 2, "label area+" + std::to_string(offset - stringsEnd)});
    }
    static const std::pair<std::size_t, std::size_t> kRecord[] = {
        {0, 2}, {2, 2}, {4, 2}, {6, 2}, {8, 2}, {10, 1}, {11, 1},
        {14, 4}, {22, 4}, {26, 2}, {28, 2}, {30, 2}};
    static const char* const kRecordNames[] = {"major", "minor", "locked", "branches",
                                               "depth", "tip",   "compressed", "put date",
                                               "size",  "locker", "creator", "desc size"};
    for (const testing::RawRevision& revision : log->revisions) {
      for (std::size_t i = 0; i < std::size(kRecord); ++i) {
        fields.push_back({revision.offset + kRecord[i].first, kRecord[i].second,
                          revision.number + " " + kRecordNames[i]});
      }
      if (revision.compressed == 1) {
        const std::size_t data = revision.offset + 32 + static_cast<std::size_t>(revision.descSize);
        fields.push_back({data, 4, revision.number + " expanded size"});
        fields.push_back({data + 4, 4, revision.number + " block size"});
      }
    }
    return fields;
  }

  void Run(const Shape& shape) {
    ASSERT_FALSE(shape.bytes.empty()) << shape.name;
    int writer = 0;
    for (const Field& field : Fields(shape)) {
      const std::uint64_t value = LoadLittle(shape.bytes, field.offset, field.width);
      for (const std::uint64_t damaged : DamagingValues(field.width, value)) {
        const std::string context = shape.name + ", " + field.what + " = " + std::to_string(damaged);
        Bytes bytes = shape.bytes;
        StoreLittle(bytes, field.offset, field.width, damaged);
        if (field.offset >= 28 || field.offset + field.width <= 28) FixChecksum(bytes);
        Clear();
        testing::WriteBytes(box_.Logfile(kName), bytes);
        box_.host.Clear();
        const std::set<std::string> before = CheckGets(shape, context);
        ++writer;
        const int status = Write(writer);
        const Bytes after = testing::ReadBytes(box_.Logfile(kName));
        if (status != 1) {
          EXPECT_EQ(after, bytes) << context << ": a refused writer changed the logfile";
        } else if (after != bytes) {
          const std::set<std::string> still = CheckGets(shape, context + ", after writer");
          for (const std::string& number : before) {
            EXPECT_TRUE(still.count(number) != 0)
                << context << ": writer " << writer % 4 << " lost revision " << number << "\n"
                << box_.host.All();
          }
        }
        ExpectNothingElse(context);
        if (HasFailure()) return;  // one case at a time is enough to read
      }
    }
  }

  CheckInSandbox box_;
};

// Damage that leaves every size and flag in range, so that only a reader
// that checks all the records finds it: a compressed trunk tip whose flag
// was cleared (its data a compressed block of exactly its size), and a
// trunk record whose minor number repeats an older one, so that its branch
// takes the older revision's number. Every get of any revision refuses,
// naming the damage; none hands out text.
TEST_F(LogfileCorruptionTest, DamageThatOnlyAWholeReadingFinds) {
  struct Case {
    const char* what;
    Shape shape;
    std::size_t record;        // which record, in file order
    std::size_t field_offset;  // within its 32-byte head
    std::uint64_t value;
    std::vector<std::string> numbers;  // the revisions asked for
  };
  const Shape compressed = Build("compressed", kAttrCompression, false, false, false);
  const Shape branches = Build("branches", 0, true, false, false);
  // compressed: 1.3 (tip), 1.2, 1.1, 1.0; branches: 1.4 (tip), 1.3 with its
  // branch 1.3.1.1, 1.2, 1.1, 1.0.
  const std::vector<Case> cases = {
      {"tip's compressed flag cleared", compressed, 0, 11, 0, {"1.3", "1.2", "1.0"}},
      {"trunk minor repeats an older one",
       branches,
       1,
       2,
       2,
       {"1.4", "1.2", "1.2.1.1", "1.3.1.1", "1.0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<RawLogfile> log = testing::ParseRawLogfile(c.shape.bytes);
    ASSERT_TRUE(log);
    ASSERT_GT(log->revisions.size(), c.record);
    const testing::RawRevision& damaged = log->revisions[c.record];
    if (c.field_offset == 11) {
      ASSERT_EQ(damaged.compressed, 1);
    } else {
      ASSERT_EQ(damaged.number, "1.3");
      ASSERT_EQ(log->revisions[c.record + 1].depth, 1);  // its branch follows
    }
    Bytes bytes = c.shape.bytes;
    StoreLittle(bytes, damaged.offset + c.field_offset, c.field_offset == 11 ? 1 : 2, c.value);
    Clear();
    testing::WriteBytes(box_.Logfile(kName), bytes);
    for (const std::string& number : c.numbers) {
      box_.host.Clear();
      const std::optional<std::string> got = Get(number);
      EXPECT_FALSE(got) << number << " was handed out: " << *got;
      EXPECT_TRUE(box_.host.Saw("damaged")) << number << ": " << box_.host.All();
    }
    EXPECT_EQ(testing::ReadBytes(box_.Logfile(kName)), bytes);
  }
}

TEST_F(LogfileCorruptionTest, TextLogfile) { Run(Build("text", 0, false, false, false)); }

TEST_F(LogfileCorruptionTest, BinaryLogfile) {
  Run(Build("binary", kAttrBinaryFile, false, false, false));
}

TEST_F(LogfileCorruptionTest, CompressedLogfile) {
  Run(Build("compressed", kAttrCompression, false, false, false));
}

TEST_F(LogfileCorruptionTest, LogfileWithBranches) { Run(Build("branches", 0, true, false, false)); }

TEST_F(LogfileCorruptionTest, LogfileWithLabelsAndALock) {
  Run(Build("labels and lock", 0, false, true, true));
}

TEST_F(LogfileCorruptionTest, CompressedLogfileWithEverything) {
  Run(Build("everything", kAttrCompression, true, true, true));
}

}  // namespace
}  // namespace tarn
