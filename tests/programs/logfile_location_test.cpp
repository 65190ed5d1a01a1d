// One workfile name, one logfile: tLogfileName, the engine and every program
// find the same logfile for "p/stdio.h" from the project directory as for
// "stdio.h" from p/, with a relative and with an absolute logfile directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/store/disk_names.h"
#include "objects/logfile_name.h"
#include "platform/paths.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

class LogfileLocationTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    fs::create_directories(dir_.path() / "p");
    testing::WriteText(dir_.File("p/stdio.h"), "int printf();\n");
    // Relative: the logfile lives in TARN beside the workfile, p/TARN.
    // Absolute: in the one directory named, whatever the workfile's directory.
    logfileDirectory_ = AbsoluteDirectory() ? dir_.File("logs") : std::string("TARN");
    expectedLogfile_ = AbsoluteDirectory() ? dir_.File("logs/stdio.i") : dir_.File("p/TARN/stdio.i");
    fs::create_directories(fs::path(expectedLogfile_).parent_path());
  }

  bool AbsoluteDirectory() const { return GetParam(); }

  testing::ProgramResult Run(const std::string& program, std::vector<std::string> arguments,
                             const std::string& from) const {
    testing::ProgramSetup setup;
    setup.environment["TARNPATH"] = logfileDirectory_;
    setup.environment["TARNUSER"] = "alice";
    setup.environment["TARNACCESS"] = "alice";
    setup.environment["TARNTEMP"] = dir_.path().string();
    setup.environment["TARNJOURNALPATH"] = dir_.path().string() + "/";
    setup.workingDirectory = from;
    return testing::RunBuiltProgram(program, arguments, setup);
  }

  // The logfile tLogfileName derives, from `from`.
  std::string ObjectLogfile(const char* workfile, const std::string& from) const {
    const fs::path previous = fs::current_path();
    fs::current_path(from);
    tEnvVar settings;
    settings.TARNPath((logfileDirectory_ + "/").c_str());
    const tLogfileName name(workfile, &settings);
    const std::string full = name.FullPathName();
    fs::current_path(previous);
    return full;
  }

  testing::TempDir dir_;
  std::string logfileDirectory_;
  std::string expectedLogfile_;
};

TEST_P(LogfileLocationTest, SameLogfileFromTheWorkfilesDirectoryAndItsParent) {
  const std::string top = dir_.path().string();
  const std::string sub = dir_.File("p");
  EXPECT_EQ(ObjectLogfile("p/stdio.h", top), expectedLogfile_);
  EXPECT_EQ(ObjectLogfile("stdio.h", sub), expectedLogfile_);
  // The engine's rule, from the project directory.
  EXPECT_EQ(platform::FullPathName(dir_.File(LogfilePathOf("p/stdio.h", logfileDirectory_))),
            expectedLogfile_);

  // Created from the parent, used from the workfile's directory, and back.
  testing::ProgramResult r = Run("tput", {"-text", "first", "p/stdio.h"}, top);
  ASSERT_EQ(r.status, 0) << r.err << r.out;
  ASSERT_TRUE(fs::exists(expectedLogfile_));
  r = Run("tlock", {"stdio.h"}, sub);
  EXPECT_EQ(r.status, 0) << r.err;
  r = Run("tunlock", {"p/stdio.h"}, top);
  EXPECT_EQ(r.status, 0) << r.err;
  r = Run("tstamp", {"-v", "REL", "stdio.h"}, sub);
  EXPECT_EQ(r.status, 0) << r.err;
  r = Run("tunstamp", {"-v", "REL", "p/stdio.h"}, top);
  EXPECT_EQ(r.status, 0) << r.err;
  r = Run("tmh", {"-desc", "-text", "headers", "stdio.h"}, sub);
  EXPECT_EQ(r.status, 0) << r.err;
  fs::remove(dir_.File("p/stdio.h"));
  r = Run("tget", {"p/stdio.h"}, top);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing::ReadText(dir_.File("p/stdio.h")), "int printf();\n");
  r = Run("tget", {"-lock", "-yes", "stdio.h"}, sub);
  EXPECT_EQ(r.status, 0) << r.err;

  // Nothing else was made anywhere: one logfile, in its place.
  std::vector<std::string> logfiles;
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
    if (entry.path().extension() == ".i") logfiles.push_back(entry.path().string());
  }
  EXPECT_EQ(logfiles, std::vector<std::string>{expectedLogfile_});
}

INSTANTIATE_TEST_SUITE_P(RelativeAndAbsolute, LogfileLocationTest, ::testing::Bool());

}  // namespace
}  // namespace tarn
