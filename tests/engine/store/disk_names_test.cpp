#include "engine/store/disk_names.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

TEST(LogfileNames, ExtensionCharactersAdvanceByOne) {
  EXPECT_EQ(LogfileNameOf("main.c"), "main.d");
  EXPECT_EQ(LogfileNameOf("main.cpp"), "main.dqq");
  EXPECT_EQ(LogfileNameOf("x.zZ9"), "x.aA0");
  EXPECT_EQ(LogfileNameOf("a.b~_"), "a.c~_");
  EXPECT_EQ(LogfileNameOf("a.z9_"), "a.a0_");
  EXPECT_EQ(LogfileNameOf("b.Zz"), "b.Aa");
  EXPECT_EQ(LogfileNameOf("odd.!'*-?^_{~"), "odd.!'*-?^_{~");
  EXPECT_EQ(LogfileNameOf("x.#8y"), "x.$9z");
  // Only the last extension changes.
  EXPECT_EQ(LogfileNameOf("archive.tar.gz"), "archive.tar.ha");
}

TEST(LogfileNames, NamesWithoutExtensionGetUnderscores) {
  EXPECT_EQ(LogfileNameOf("notes"), "notes.___");
  EXPECT_EQ(LogfileNameOf("notes."), "notes.___");
  EXPECT_EQ(LogfileNameOf("Makefile"), "Makefile.___");
}

TEST(LogfileNames, PatternsStayPatterns) {
  EXPECT_EQ(LogfileNameOf("*.c"), "*.d");
  EXPECT_EQ(LogfileNameOf("*.*"), "*.*");
  EXPECT_EQ(LogfileNameOf("?.c?"), "?.d?");
}

TEST(LogfileNames, ADotInADirectoryIsNotAnExtension) {
  EXPECT_EQ(LogfileNameOf("v1.2/readme"), "v1.2/readme.___");
  EXPECT_EQ(LogfileNameOf("v1.2/main.c"), "v1.2/main.d");
}

TEST(LogfileNames, TheLastByteValueNeverTurnsIntoANul) {
  const std::string name = "x.a\xFF";
  const std::string logfile = LogfileNameOf(name);
  EXPECT_EQ(logfile, "x.b\xFF");
  EXPECT_EQ(logfile.find('\0'), std::string::npos);
}

TEST(LogfileNames, WorkfileNamesComeBack) {
  EXPECT_EQ(WorkfileNameOf("main.d"), "main.c");
  EXPECT_EQ(WorkfileNameOf("x.aA0"), "x.zZ9");
  EXPECT_EQ(WorkfileNameOf("readme.___"), "readme.");
  EXPECT_EQ(WorkfileNameOf("*.d"), "*.c");
  for (const char* name : {"main.c", "x.zZ9", "a.b~_", "q.Hello-World", "dir.v/y.txt", "f.\x7F"}) {
    EXPECT_EQ(WorkfileNameOf(LogfileNameOf(name)), name) << name;
  }
}

TEST(LogfileNames, PathJoinsDirectoryAndConvertedName) {
  EXPECT_EQ(LogfileNameFromWorkfile("main.c", ""), "./main.d");
  EXPECT_EQ(LogfileNameFromWorkfile("main.c", "logs"), "logs/main.d");
  EXPECT_EQ(LogfileNameFromWorkfile("main.c", "logs/"), "logs/main.d");
  EXPECT_EQ(LogfileNameFromWorkfile("notes", "/srv/tarn"), "/srv/tarn/notes.___");
}

// A relative logfile directory lies in the workfile's own directory, so the
// same workfile name finds the same logfile from anywhere; an absolute one
// stands as it is.
TEST(LogfileNames, DirectoryIsTakenRelativeToTheWorkfile) {
  EXPECT_EQ(LogfileNameFromWorkfile("p/stdio.h", "TARN"), "p/TARN/stdio.i");
  EXPECT_EQ(LogfileNameFromWorkfile("src/main.cpp", "TARN/"), "src/TARN/main.dqq");
  EXPECT_EQ(LogfileNameFromWorkfile("../up/x.c", "a/b"), "../up/a/b/x.d");
  EXPECT_EQ(LogfileNameFromWorkfile("/home/u/x.c", "TARN"), "/home/u/TARN/x.d");
  EXPECT_EQ(LogfileNameFromWorkfile("p/stdio.h", "/srv/tarn"), "/srv/tarn/stdio.i");
  EXPECT_EQ(LogfileNameFromWorkfile("/home/u/x.c", "/srv/tarn/"), "/srv/tarn/x.d");
  EXPECT_EQ(LogfileNameFromWorkfile("p/stdio.h", ""), "p/stdio.i");
  EXPECT_EQ(LogfileNameFromWorkfile("v1.2/readme", "L"), "v1.2/L/readme.___");
}

TEST(LogfileNames, PathsBeyondTheLimitAreRefusedNotCut) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  const std::string directory(252, 'd');  // + "/" + "main.d" = 259
  EXPECT_EQ(LogfileNameFromWorkfile("main.c", directory), directory + "/main.d");
  EXPECT_TRUE(host.messages().empty());

  EXPECT_EQ(LogfileNameFromWorkfile("main.cc", directory), std::nullopt);
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].kind, kAlert);
  EXPECT_EQ(host.messages()[0].text, FormatMessage(msg::kPathTooLong, directory + "/main.dd", 259));
}

TEST(LogfileNames, LockFileReplacesTheFirstCharacterOfTheName) {
  EXPECT_EQ(LockFileName("logs/main.d"), "logs/$ain.d");
  EXPECT_EQ(LockFileName("main.d"), "$ain.d");
  EXPECT_EQ(LockFileName("./main.d"), "./$ain.d");
  EXPECT_EQ(LockFileName("/a.b/c.d/x"), "/a.b/c.d/$");
  EXPECT_EQ(LockFileName(*LogfileNameFromWorkfile("foo.c", "TARN")), "TARN/$oo.d");
}

// Every name beside one workfile, written out by hand: the logfile and the
// names derived from it share its directory (a relative one beside the
// workfile); the new workfile and the temporary files have names of their own.
TEST(DiskNames, AllNamesOfOneWorkfile) {
  struct Case {
    const char* workfile;
    const char* directory;
    DiskNames names;
  };
  const Case cases[] = {
      {"src/main.c", "TARN",
       {"src/TARN/main.d", "src/TARN/$ain.d", "src/TARN/!ain.d+", "src/TARN/!ain.d@",
        "src/TARN/_main.d@"}},
      {"/w/main.c", "/logs/",
       {"/logs/main.d", "/logs/$ain.d", "/logs/!ain.d+", "/logs/!ain.d@", "/logs/_main.d@"}},
      {"readme", "",
       {"./readme.___", "./$eadme.___", "./!eadme.___+", "./!eadme.___@", "./_readme.___@"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.workfile);
    const std::optional<DiskNames> names = DiskNamesOf(c.workfile, c.directory);
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(names->logfile, c.names.logfile);
    EXPECT_EQ(names->lockFile, c.names.lockFile);
    EXPECT_EQ(names->replacement, c.names.replacement);
    EXPECT_EQ(names->backup, c.names.backup);
    EXPECT_EQ(names->removalBackup, c.names.removalBackup);
  }
  EXPECT_EQ(WorkfileReplacementName("/a/b/main.c", 0x1f), "/a/b/.tarn-new-000000000000001f");
  EXPECT_EQ(WorkfileReplacementName("main.c", 0xabcdef0123456789), ".tarn-new-abcdef0123456789");
  EXPECT_EQ(TemporaryFileName("/tmp/", 42), "/tmp/TARN0042");
  EXPECT_EQ(TemporaryFileName("/tmp/", 10042), "/tmp/TARN0042");
  EXPECT_EQ(UniqueTemporaryFileName("t/", 0xff), "t/TARN00000000000000ff");
  testing::RecordingHost host;
  EXPECT_FALSE(DiskNamesOf("main.c", std::string(300, 'd')).has_value());
}

}  // namespace
}  // namespace tarn
