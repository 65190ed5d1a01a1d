// The programs follow the project in force for their current directory: a
// system project's logfile directory and attributes with no TARN variable
// set, a user project over it changing one of them, and an explicitly set
// variable winning over both.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "tests/support/program_runner.h"
#include "tests/support/raw_logfile.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::TempDir;
using testing::WriteText;

class ProjectProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Path("config/tarn"));
    fs::create_directories(Path("src/sub"));
    fs::create_directories(Path("logs/system"));
    fs::create_directories(Path("logs/user"));
    fs::create_directories(Path("logs/env"));
    // The configuration directory as a user's own: no TARN variable names it.
    setup_.environment = {{"XDG_CONFIG_HOME", Path("config")}, {"HOME", Path("")}};
    setup_.workingDirectory = Path("src/sub");
    WriteText(Path("config/tarn/dorn.ini"),
              "[Projects]\nProj=" + Path("src") +
                  "\n\n"
                  "[Proj]\nTARNPATH=" +
                  Path("logs/system") + "\nTARNTEMP=" + Path("") +
                  "\nTARNJOURNAL=no\nTARNCOMPRESS=no\nTARNPROTECTLOG=no\nTARNEXPAND=yes\n");
  }

  std::string Path(const std::string& relative) const { return root_.File(relative); }

  ProgramResult CheckIn(const std::string& name) {
    WriteText(Path("src/sub/" + name), "int main() { return 0; }\n");
    return testing::RunBuiltProgram("tput", {"-quiet", "-text", "first", name}, setup_);
  }

  // The attribute word of the logfile of `name` in `logs`; 0xFFFF when none.
  std::uint16_t Attributes(const std::string& logs, const std::string& name) {
    const std::string logfile = Path(logs) + "/" + LogfileNameOf(name);
    std::string error;
    const std::optional<testing::RawLogfile> log = testing::ReadRawLogfile(logfile, &error);
    return log ? log->attributes : 0xFFFF;
  }

  TempDir root_;
  ProgramSetup setup_;
};

constexpr std::uint16_t kSystemProjectAttributes =
    kAttrCheckLock | kAttrExpandKeywords | kAttrProtectWorkFile;

TEST_F(ProjectProgramsTest, SystemProjectGivesLogfileDirectoryAndAttributes) {
  const ProgramResult put = CheckIn("a.c");
  ASSERT_EQ(put.status, 0) << put.out << put.err;
  EXPECT_EQ(Attributes("logs/system", "a.c"), kSystemProjectAttributes);
  // No journal: the project turned it off.
  EXPECT_FALSE(fs::exists(Path("src/sub/tarn.jnl")));

  // Outside the project's location the environment's defaults hold, as
  // without any INI file.
  fs::create_directories(Path("elsewhere/TARN"));
  setup_.workingDirectory = Path("elsewhere");
  WriteText(Path("elsewhere/b.c"), "b\n");
  const ProgramResult other =
      testing::RunBuiltProgram("tput", {"-quiet", "-text", "first", "b.c"}, setup_);
  ASSERT_EQ(other.status, 0) << other.out << other.err;
  EXPECT_TRUE(fs::exists(Path("elsewhere/TARN/") + LogfileNameOf("b.c")));
}

TEST_F(ProjectProgramsTest, UserProjectOverTheSystemProjectOverridesOneValue) {
  setup_.environment["TARNUSER"] = "alice";
  setup_.environment["TARNACCESS"] = "alice";
  WriteText(Path("config/tarn/alice.ini"), "[Projects]\nMine=" + Path("src/sub") +
                                               "\n\n[Mine]\nTARNPATH=" + Path("logs/user") + "\n");
  const ProgramResult put = CheckIn("a.c");
  ASSERT_EQ(put.status, 0) << put.out << put.err;
  EXPECT_FALSE(fs::exists(Path("logs/system/") + LogfileNameOf("a.c")));
  // The directory is the user's; the attributes still the system project's.
  EXPECT_EQ(Attributes("logs/user", "a.c"), kSystemProjectAttributes);
}

TEST_F(ProjectProgramsTest, ExplicitlySetVariableWinsOverTheProject) {
  setup_.environment["TARNPATH"] = Path("logs/env");
  setup_.environment["TARNCOMPRESS"] = "yes";
  const ProgramResult put = CheckIn("a.c");
  ASSERT_EQ(put.status, 0) << put.out << put.err;
  EXPECT_EQ(Attributes("logs/env", "a.c"), kSystemProjectAttributes | kAttrCompression);
}

TEST_F(ProjectProgramsTest, SharedInstallationOrOwnVariableNamesTheConfigurationDirectory) {
  fs::create_directories(Path("team"));
  fs::rename(Path("config/tarn/dorn.ini"), Path("team/dorn.ini"));
  setup_.environment["TARNCONFIG"] = Path("team");
  const ProgramResult put = CheckIn("a.c");
  ASSERT_EQ(put.status, 0) << put.out << put.err;
  EXPECT_EQ(Attributes("logs/system", "a.c"), kSystemProjectAttributes);
}

// A project made from the shell with tarn project is the one tarn's own
// commands follow; tarn user keeps the front end's users.
TEST_F(ProjectProgramsTest, TarnProjectMakesTheProjectThatTarnPutFollows) {
  fs::remove(Path("config/tarn/dorn.ini"));
  fs::create_directories(Path("logs/made"));
  const auto tarn = [this](const std::vector<std::string>& words) {
    return testing::RunBuiltProgram("tarn", words, setup_);
  };
  ASSERT_EQ(tarn({"project", "create", "system", "Made", Path("src")}).status, 0);
  const ProgramResult set = tarn({"project", "set", "system", "Made", "TARNPATH", Path("logs/made")});
  ASSERT_EQ(set.status, 0) << set.err;
  ASSERT_EQ(tarn({"project", "set", "system", "Made", "TARNJOURNAL", "no"}).status, 0);

  const ProgramResult shown = tarn({"project"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("Made"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find(Path("logs/made")), std::string::npos) << shown.out;

  WriteText(Path("src/sub/a.c"), "a\n");
  const ProgramResult put = tarn({"put", "-quiet", "-text", "first", "a.c"});
  ASSERT_EQ(put.status, 0) << put.out << put.err;
  EXPECT_TRUE(fs::exists(Path("logs/made/") + LogfileNameOf("a.c")));
  EXPECT_FALSE(fs::exists(Path("src/sub/tarn.jnl")));

  // Refused lines: a setting that does not exist, a word tarn project does
  // not know.
  EXPECT_EQ(tarn({"project", "set", "system", "Made", "NOSUCH", "1"}).status, 2);
  EXPECT_EQ(tarn({"project", "frob"}).status, 2);

  ASSERT_EQ(tarn({"user", "add", "carol"}).status, 0);
  EXPECT_EQ(tarn({"user", "add", "carol"}).status, 1);
  const ProgramResult users = tarn({"user", "list"});
  EXPECT_NE(users.out.find("carol"), std::string::npos) << users.out;
  EXPECT_EQ(tarn({"user", "delete", "carol"}).status, 0);
  EXPECT_EQ(tarn({"user", "list"}).out.find("carol"), std::string::npos);
}

}  // namespace
}  // namespace tarn
