// Importing hand-written ,v files in-process and reading the logfiles back
// through the engine's readers: every revision's text, number, creator,
// date and description; labels, locks, branch counts and attributes; and
// refusals that leave no logfile behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/store/disk_names.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_rebuild.h"
#include "engine/store/revision_scan.h"
#include "import/rcs_import.h"
#include "platform/file.h"
#include "tests/support/checkin_sandbox.h"

namespace tarn::rcs {
namespace {

namespace fs = std::filesystem;

// 1.1 and 1.2 on the trunk (1.2 without a final newline), branches 1.1.1
// and 1.1.3 at 1.1 (the second with 1.1.3.1 and 1.1.3.2, from which
// 1.1.3.2.1.1 starts), a name on 1.2 and one on a branch, 1.1.3.2 locked by
// bob.
const std::string kHistory =
    "head 1.2; access; symbols REL:1.2 BR:1.1.3 ODD:1.1.0.5; locks bob:1.1.3.2; strict;\n"
    "comment @-- @;\n"
    "1.2 date 2021.03.04.05.06.07; author ann; state Exp; branches; next 1.1;\n"
    "1.1 date 2020.01.02.03.04.05; author bob; state Exp; branches 1.1.1.1 1.1.3.1; next ;\n"
    "1.1.1.1 date 2020.05.01.00.00.00; author dave; state Exp; branches; next ;\n"
    "1.1.3.1 date 2020.06.01.00.00.00; author carl; state Exp; branches; next 1.1.3.2;\n"
    "1.1.3.2 date 2020.07.01.00.00.00; author bob; state Exp; branches 1.1.3.2.1.1; next ;\n"
    "1.1.3.2.1.1 date 2020.08.01.00.00.00; author ann; state Exp; branches; next ;\n"
    "desc @The module.\n@\n"
    "1.2 log @second@ text @alpha\nbeta\ngamma@\n"
    "1.1 log @first with @@@ text @d3 1\na3 1\ngamma\n@\n"
    "1.1.1.1 log @first branch@ text @d1 1\na1 1\nALPHA\n@\n"
    "1.1.3.1 log @on the branch@ text @a3 1\ndelta\n@\n"
    "1.1.3.2 log @@ text @@\n"
    "1.1.3.2.1.1 log @deeper@ text @d1 1\n@\n";

struct Expected {
  const char* number;
  const char* text;
  const char* creator;
  std::uint32_t date;
  const char* description;
};

class ImportLogfileTest : public ::testing::Test {
 protected:
  std::string WriteRcs(const std::string& name, const std::string& text) {
    const std::string path = sandbox_.Work(name + ",v");
    testing::WriteText(path, text);
    return path;
  }

  struct Opened {
    platform::File file;
    LogfileHeader header;
    std::int64_t firstRecord = 0;
  };

  std::optional<Opened> Open(const std::string& name) {
    std::optional<platform::File> file =
        platform::File::Open(sandbox_.Logfile(name), platform::OpenMode::kRead);
    if (!file) return std::nullopt;
    Opened opened{std::move(*file), {}, 0};
    if (ReadLogfileHeader(opened.file, opened.header) != 1) return std::nullopt;
    opened.firstRecord = *opened.file.Tell();
    return opened;
  }

  static tarnCommandRevDesc Number(const char* text) {
    tarnCommandRevDesc number;
    ParseRevisionRequest(text, 0, number);
    return number;
  }

  // Files left in the logfile and temporary directories.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const std::string& directory : {sandbox_.Logs(), sandbox_.Temp()}) {
      for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
      }
    }
    return names;
  }

  testing::CheckInSandbox sandbox_;
};

TEST_F(ImportLogfileTest, EveryRevisionComesBackWithItsNumberCreatorDateAndDescription) {
  ASSERT_EQ(ImportRcsFile(WriteRcs("m.c", kHistory), sandbox_.env), 1) << sandbox_.host.All();
  std::optional<Opened> logfile = Open("m.c");
  ASSERT_TRUE(logfile);
  const Expected expected[] = {
      {"1.2", "alpha\nbeta\ngamma", "ann", 1614834367, "second"},
      {"1.1", "alpha\nbeta\ngamma\n", "bob", 1577934245, "first with @"},
      {"1.1.1.1", "ALPHA\nbeta\ngamma\n", "dave", 1588291200, "first branch"},
      {"1.1.3.1", "alpha\nbeta\ngamma\ndelta\n", "carl", 1590969600, "on the branch"},
      {"1.1.3.2", "alpha\nbeta\ngamma\ndelta\n", "bob", 1593561600, ""},
      {"1.1.3.2.1.1", "beta\ngamma\ndelta\n", "ann", 1596240000, "deeper"},
  };
  for (const Expected& revision : expected) {
    ByteBuffer text;
    RebuiltRevision found;
    ASSERT_EQ(RebuildRevisionText(logfile->file, logfile->firstRecord, Number(revision.number),
                                  text, &found),
              1)
        << revision.number;
    EXPECT_EQ(std::string(text.begin(), text.end()), revision.text) << revision.number;
    EXPECT_EQ(FormatRevision(found.number), revision.number);
    EXPECT_EQ(UserName(logfile->header.modifierList, found.header.CreatorIndex), revision.creator)
        << revision.number;
    EXPECT_EQ(found.header.FilePutDate, revision.date) << revision.number;
    RevisionRecord record;
    ASSERT_EQ(LookUpRevision(logfile->file, logfile->firstRecord, Number(revision.number), record),
              Lookup::kFound);
    std::string description;
    ASSERT_EQ(ReadRevisionDescription(logfile->file, record, description), 1);
    EXPECT_EQ(description, revision.description) << revision.number;
    EXPECT_EQ(record.header._iLocked != 0, std::string(revision.number) == "1.1.3.2");
  }
  const LogfileHeader& header = logfile->header;
  EXPECT_EQ(header.fixed._iRevisionCount, 6);
  EXPECT_EQ(header.fixed._iMajorNumber, 1);
  EXPECT_EQ(header.fixed._iMinorNumber, 2);
  EXPECT_EQ(header.fixed._iLockCount, 1);
  EXPECT_NE(header.fixed._iAttributes & kAttrCheckLock, 0);
  EXPECT_EQ(header.fixed._iAttributes & kAttrBinaryFile, 0);
  EXPECT_EQ(header.description, "The module.\n");
  EXPECT_EQ(header.commentPrefix, "-- ");
  EXPECT_EQ(header.owner, "alice");
  // No access list in the file: the settings' one and every author.
  EXPECT_EQ(header.accessList, "alice,bob,carol,dave,ann,carl");
  EXPECT_EQ(header.modifierList, "alice,bob,carol,dave,ann,carl");
  ASSERT_EQ(header.labels.size(), 3U);
  EXPECT_EQ(header.labels[0].text, "REL");
  EXPECT_EQ(header.labels[0].iRevisionCount, 1);
  EXPECT_EQ(header.labels[0].elements[0], (LabelRecord::Element{1, 2}));
  EXPECT_EQ(header.labels[1].text, "BR");  // floats with the branch
  EXPECT_EQ(header.labels[1].iRevisionCount, 2);
  EXPECT_EQ(header.labels[1].elements[1], (LabelRecord::Element{3, -1}));
  // 1.1.0.5 names branch 1.1.5, which holds no revision: its branch point.
  EXPECT_EQ(header.labels[2].text, "ODD");
  EXPECT_EQ(header.labels[2].iRevisionCount, 1);
  EXPECT_EQ(header.labels[2].elements[0], (LabelRecord::Element{1, 1}));
  // The branch count at 1.1 covers branch 3, so a new branch there is 1.1.4.
  RevisionRecord point;
  ASSERT_EQ(LookUpRevision(logfile->file, logfile->firstRecord, Number("1.1"), point),
            Lookup::kFound);
  EXPECT_EQ(point.header._iBranchCount, 3);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{LogfileNameOf("m.c")});
}

TEST_F(ImportLogfileTest, BinaryFilesAndFinalNewlineChangesComeBackExactly) {
  const std::string bytes = std::string("\0\x01\xff@@\n\x80\n", 8);
  const std::string history =
      "head 1.3; access ann; symbols; locks; expand @b@;\n"
      "1.3 date 2022.01.01.00.00.03; author ann; state Exp; branches; next 1.2;\n"
      "1.2 date 2022.01.01.00.00.02; author ann; state Exp; branches; next 1.1;\n"
      "1.1 date 2022.01.01.00.00.01; author ann; state Exp; branches; next ;\n"
      "desc @@\n"
      "1.3 log @@ text @" +
      bytes +
      "@\n"
      "1.2 log @@ text @d2 1\na2 1\n\x80@\n"
      "1.1 log @@ text @d2 1\na2 1\n\x80\n@\n";
  ASSERT_EQ(ImportRcsFile(WriteRcs("b.bin", history), sandbox_.env), 1) << sandbox_.host.All();
  std::optional<Opened> logfile = Open("b.bin");
  ASSERT_TRUE(logfile);
  EXPECT_NE(logfile->header.fixed._iAttributes & kAttrBinaryFile, 0);
  EXPECT_EQ(logfile->header.fixed._iAttributes & (kAttrExpandKeywords | kAttrCheckLock), 0);
  EXPECT_EQ(logfile->header.accessList, "ann,alice");
  EXPECT_EQ(logfile->header.modifierList, "ann,alice");
  const std::pair<const char*, std::string> texts[] = {
      {"1.3", std::string("\0\x01\xff@\n\x80\n", 7)},
      {"1.2", std::string("\0\x01\xff@\n\x80", 6)},
      {"1.1", std::string("\0\x01\xff@\n\x80\n", 7)},
  };
  for (const auto& [number, expected] : texts) {
    ByteBuffer text;
    ASSERT_EQ(RebuildRevisionText(logfile->file, logfile->firstRecord, Number(number), text), 1);
    EXPECT_EQ(std::string(text.begin(), text.end()), expected) << number;
  }
}

TEST_F(ImportLogfileTest, RefusedFilesLeaveNoLogfileAndAnExistingOneIsKept) {
  struct Refusal {
    const char* what;
    std::string text;
    const char* message;
  };
  auto edited = [](std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), to);
      at += to.size();
    }
    return text;
  };
  const Refusal cases[] = {
      {"cut short", kHistory.substr(0, kHistory.size() / 2), "m.c,v"},
      {"number too large", edited(kHistory, "1.1.3.2.1.1", "1.1.3.2.40000.1"),
       "cannot be held in a logfile"},
      {"date before 1970", edited(kHistory, "2020.08.01", "1960.08.01"),
       "lies outside what a logfile holds"},
      {"NUL in a log message", edited(kHistory, "@deeper@", std::string("@dee\0per@", 9)),
       "longer than a logfile holds"},
  };
  for (const Refusal& c : cases) {
    sandbox_.host.Clear();
    EXPECT_EQ(ImportRcsFile(WriteRcs("m.c", c.text), sandbox_.env), -1) << c.what;
    EXPECT_TRUE(sandbox_.host.Saw(c.message)) << c.what << ": " << sandbox_.host.All();
    EXPECT_TRUE(Leftovers().empty()) << c.what;
  }
  // The writing itself fails: no scratch file can be made.
  tarnEnvironVars no_temp = sandbox_.env;
  no_temp.tempDirectory = sandbox_.Root() + "/missing/";
  sandbox_.host.Clear();
  EXPECT_EQ(ImportRcsFile(WriteRcs("m.c", kHistory), no_temp), -1);
  EXPECT_TRUE(sandbox_.host.Saw("could not be written; nothing imported")) << sandbox_.host.All();
  EXPECT_TRUE(Leftovers().empty());

  ASSERT_EQ(ImportRcsFile(WriteRcs("m.c", kHistory), sandbox_.env), 1);
  const std::vector<std::uint8_t> before = testing::ReadBytes(sandbox_.Logfile("m.c"));
  sandbox_.host.Clear();
  EXPECT_EQ(ImportRcsFile(WriteRcs("m.c", kHistory), sandbox_.env), -1);
  EXPECT_TRUE(sandbox_.host.Saw("exists already; nothing imported")) << sandbox_.host.All();
  EXPECT_EQ(testing::ReadBytes(sandbox_.Logfile("m.c")), before);
}

TEST_F(ImportLogfileTest, ACheckInAfterTheImportContinuesTheHistory) {
  // Default branch 1.1.3, no locking: a check-in continues from 1.1.3.2,
  // whose branch count covers its branch 1.1.3.2.1.
  std::string history = kHistory;
  history.replace(history.find("locks bob:1.1.3.2; strict;"), 26, "locks;");
  history.replace(history.find("head 1.2;"), 9, "head 1.2; branch 1.1.3;");
  ASSERT_EQ(ImportRcsFile(WriteRcs("m.c", history), sandbox_.env), 1) << sandbox_.host.All();
  sandbox_.Write("m.c", "alpha\nbeta\ngamma\nepsilon\n");
  ASSERT_EQ(sandbox_.CheckIn("m.c", {"-text", "after", "-newbranch"}), 1) << sandbox_.host.All();
  EXPECT_EQ(sandbox_.Fetch("m.c", "1.1.3.2.2.1"),
            std::optional<std::string>("alpha\nbeta\ngamma\nepsilon\n"))
      << sandbox_.host.All();
  EXPECT_EQ(sandbox_.Fetch("m.c", "1.1.3.2.1.1"),
            std::optional<std::string>("beta\ngamma\ndelta\n"));
}

}  // namespace
}  // namespace tarn::rcs
