// tarn import and tarn export of a repository made by the installed cvs:
// a vendor branch, a branch tag on files never changed on the branch, a
// file removed into Attic/, a binary file; the attributes and access list
// of the imported logfiles.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/rcs_workbench.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::RcsWorkbench;

class CvsImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RcsWorkbench::Installed("cvs") || !RcsWorkbench::Installed("git")) {
      GTEST_SKIP() << "the cvs and git packages are needed";
    }
    root_ = bench_.Scratch("cvsroot");
    const std::string drop = bench_.Scratch("drop");
    const std::string checkout = bench_.Scratch("checkout");
    fs::create_directories(drop);
    fs::create_directories(checkout);
    testing::WriteText(drop + "/a.c", "a one\n");
    testing::WriteText(drop + "/b.c", "b one\n");
    Cvs({"init"}, drop);
    Cvs({"import", "-m", "vendor drop", "proj", "VENDOR", "V1"}, drop);
    // The binary file comes with the same vendor drop, as binary.
    fs::remove(drop + "/a.c");
    fs::remove(drop + "/b.c");
    testing::WriteText(drop + "/img.bin", std::string("\0\x01\x02$Id$\n\xff", 10));
    Cvs({"import", "-kb", "-m", "vendor drop", "proj", "VENDOR", "V1"}, drop);
    Cvs({"checkout", "proj"}, checkout);
    const std::string work = checkout + "/proj";
    testing::WriteText(work + "/a.c", "a one\na two\n");
    Cvs({"commit", "-m", "change a"}, work);
    Cvs({"tag", "-b", "REL_1_FIXES"}, work);
    Cvs({"update", "-r", "REL_1_FIXES"}, work);
    testing::WriteText(work + "/a.c", "a one\na two\na fix\n");
    Cvs({"commit", "-m", "fix a"}, work);
    Cvs({"update", "-A"}, work);
    fs::remove(work + "/b.c");
    Cvs({"remove", "b.c"}, work);
    Cvs({"commit", "-m", "drop b"}, work);
    Cvs({"tag", "REL_2"}, work);
    // The logfiles go beside the workfiles the ,v files stand for.
    fs::create_directories(root_ + "/proj/TARN");
  }

  ProgramResult Cvs(std::vector<std::string> arguments, const std::string& directory) {
    arguments.insert(arguments.begin(), {"-Q", "-d", root_});
    return bench_.Run("cvs", arguments, directory);
  }

  // What cvs checks out of the repository.
  std::string CvsText(const std::string& file, const std::string& tag) {
    std::vector<std::string> arguments = {"checkout", "-p"};
    if (!tag.empty()) arguments.insert(arguments.end(), {"-r", tag});
    arguments.push_back("proj/" + file);
    return Cvs(arguments, bench_.Scratch("")).out;
  }

  ProgramResult Import(const std::vector<std::string>& options = {}) {
    std::vector<std::string> arguments = {"import"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(root_ + "/proj");
    return bench_.Tarn(arguments);
  }

  std::string Get(const std::string& file, const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {"get", "-stdout", "-set", "ExpandKeywords=no"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(root_ + "/proj/" + file);
    const ProgramResult got = bench_.Tarn(arguments);
    EXPECT_EQ(got.status, 0) << file << ": " << got.err;
    return got.out;
  }

  std::string Log(const std::string& file) {
    return bench_.Tarn({"log", root_ + "/proj/" + file}).out;
  }

  RcsWorkbench bench_;
  std::string root_;
};

TEST_F(CvsImportTest, BranchTagsVendorBranchesAndBinaryFilesGiveWhatCvsGives) {
  const ProgramResult imported = Import();
  ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
  for (const char* file : {"a.c", "b.c", "img.bin"}) {
    // b.c is gone from the trunk: the branch and the vendor drop still hold it.
    for (const char* tag : {"REL_1_FIXES", "V1", "VENDOR"}) {
      EXPECT_EQ(Get(file, {"-v", tag}), CvsText(file, tag)) << file << " " << tag;
    }
  }
  EXPECT_EQ(Get("a.c", {}), CvsText("a.c", ""));
  EXPECT_EQ(Get("a.c", {"-v", "REL_2"}), CvsText("a.c", "REL_2"));
  EXPECT_EQ(Get("img.bin", {}), CvsText("img.bin", ""));
  EXPECT_EQ(Get("img.bin", {}).size(), 10U);
  // The unchanged files' branch tag names their branch point.
  EXPECT_NE(Log("b.c").find("REL_1_FIXES"), std::string::npos);
  EXPECT_NE(Log("img.bin").find("BinaryFile"), std::string::npos);
}

TEST_F(CvsImportTest, AFileInTheAtticComesBesideItsSiblingsWithItsRemovalVisible) {
  ASSERT_TRUE(fs::exists(root_ + "/proj/Attic/b.c,v"));
  ASSERT_EQ(Import().status, 0);
  EXPECT_FALSE(fs::exists(root_ + "/proj/Attic/TARN"));
  EXPECT_EQ(Get("b.c", {}), "b one\n");
  const std::string log = Log("b.c");
  EXPECT_NE(log.find("removed-in-1.2"), std::string::npos) << log;
  EXPECT_NE(log.find("Removed in revision 1.2 on "), std::string::npos) << log;
  EXPECT_NE(log.find(": drop b"), std::string::npos) << log;
  EXPECT_EQ(bench_.Tarn({"get", "-stdout", "-rev", "1.2", root_ + "/proj/b.c"}).status, 1);

  // In git the file is deleted by the removal and absent from later commits.
  const ProgramResult exported = bench_.Tarn({"export", root_ + "/proj"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string repository = bench_.Scratch("repo");
  bench_.Run("git", {"init", "-q", repository});
  testing::ProgramSetup setup = bench_.setup();
  setup.programDirectory = "/usr/bin";
  setup.input = exported.out;
  setup.workingDirectory = repository;
  ASSERT_EQ(testing::RunBuiltProgram("git", {"fast-import", "--quiet"}, setup).status, 0);
  EXPECT_EQ(bench_.RunUnchecked("git", {"fsck", "--strict"}, repository).status, 0);
  EXPECT_EQ(bench_.Run("git", {"ls-tree", "-r", "--name-only", "main"}, repository).out,
            "a.c\nimg.bin\n");
  EXPECT_EQ(bench_.Run("git", {"log", "--diff-filter=D", "--format=%s", "main", "--", "b.c"}, repository).out,
            "drop b\n");
  EXPECT_EQ(bench_.Run("git", {"show", "main~1:b.c"}, repository).out, "b one\n");
}

TEST_F(CvsImportTest, ImportedLogfilesGetANewLogfilesAttributesAndTheAccessListInForce) {
  // What a new logfile gets, made by a check-in.
  bench_.Write("new.c", "new\n");
  ASSERT_EQ(bench_.Tarn({"put", "-text", "new", "new.c"}).status, 0);
  const std::string fresh = bench_.Tarn({"log", "-header", "new.c"}).out;
  ASSERT_NE(fresh.find("ProtectLogFile"), std::string::npos) << fresh;

  bench_.setup().environment["TARNACCESS"] = "ann,bob";
  ASSERT_EQ(Import().status, 0);
  const std::string header = bench_.Tarn({"log", "-header", root_ + "/proj/a.c"}).out;
  EXPECT_NE(header.find("ProtectLogFile"), std::string::npos) << header;
  EXPECT_NE(header.find("ann,bob\n"), std::string::npos) << header;
  EXPECT_EQ(header.find("imp,"), std::string::npos) << header;
  // Every creator still resolves: the authors are known users.
  EXPECT_NE(Log("a.c").find("root"), std::string::npos);
  EXPECT_EQ(fs::status(root_ + "/proj/TARN").type(), fs::file_type::directory);
}

TEST_F(CvsImportTest, AnAttributeOptionStandsOverTheDefaults) {
  const ProgramResult imported = Import({"-set", "ProtectLogFile=no,JournalFile=yes"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::string header = bench_.Tarn({"log", "-header", root_ + "/proj/a.c"}).out;
  EXPECT_EQ(header.find("ProtectLogFile"), std::string::npos) << header;
  EXPECT_NE(header.find("JournalFile"), std::string::npos) << header;
  EXPECT_EQ(Import({"-set", "Nonsense=yes"}).status, 2);
  EXPECT_EQ(Import({"-set"}).status, 2);
}

}  // namespace
}  // namespace tarn
