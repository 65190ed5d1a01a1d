// Projects: which project is in force for a directory, what it inherits
// from where, and what `write` stores.
#include "projects/project.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  ProjectPlace At(const std::string& directory) const {
    return ProjectPlace{config_.path().string(), directory};
  }
  std::string SystemIni() const { return config_.File("dorn.ini"); }
  std::string UserIni() const { return config_.File("alice.ini"); }

  TempDir config_;
};

struct MatchCase {
  const char* name;
  const char* system_list;
  const char* user_list;
  const char* directory;
  const char* project;
  bool system;
  const char* standing_over;
  const char* appended;
};

const MatchCase kMatches[] = {
    {"UserProjectStandsOverTheSystemProject", "Proj=/src/\n", "Mine=/src/app/\n", "/src/app/lib",
     "Mine", false, "Proj", "lib/"},
    {"UserWinsATieOfLengths", "Proj=/src/app/\n", "Mine=/src/app/\n", "/src/app/lib/", "Mine",
     false, "Proj", "lib/"},
    {"LongerSystemLocationBeatsAShorterUserOne", "Proj=/src/app/\n", "Mine=/src/\n", "/src/app/x",
     "Proj", true, "", "x/"},
    {"LongestSystemLocationWins", "Short=/src/\nLong=/src/app/\n", "", "/src/app/x/", "Long", true,
     "", "x/"},
    {"FirstListedWinsATieOfSystemLocations", "One=/src/\nTwo=/src/\n", "", "/src/x/", "One", true,
     "", "x/"},
    {"NoMatchGivesTheDefaultProject", "Proj=/src/\n", "Mine=/home/\n", "/other/dir", "Default",
     true, "", "/other/dir/"},
    {"LocationWithoutSeparatorNamesAWholeDirectory", "App=/src/app\n", "", "/src/apple/", "Default",
     true, "", "/src/apple/"},
    {"LocationsCompareWithLetterCase", "App=/Src/\n", "", "/src/x/", "Default", true, "",
     "/src/x/"},
};

class ProjectMatchTest : public ProjectTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(ProjectMatchTest, FindsTheProjectInForce) {
  const MatchCase& c = GetParam();
  WriteText(SystemIni(), std::string("[Projects]\n") + c.system_list);
  WriteText(UserIni(), std::string("[Projects]\n") + c.user_list);
  const tProject project("alice", At(c.directory));
  EXPECT_EQ(project.ProjectName(), c.project);
  EXPECT_EQ(project.IsSystemProject(), c.system ? ttTRUE : ttFALSE);
  EXPECT_EQ(project.SystemProjectName(), c.standing_over);
  EXPECT_EQ(project.AppendedPath(), c.appended);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProjectMatchTest, ::testing::ValuesIn(kMatches),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ProjectTest, EffectiveWorkfilePathFollowsTheWorkfileLocation) {
  WriteText(SystemIni(),
            "[Projects]\nProj=/src/\nElse=/data/\n\n[Else]\nTARNWORKPATH=/work/else\n");
  WriteText(UserIni(), "[Projects]\nMine=/src/app/\n");
  EXPECT_EQ(tProject("alice", At("/src/app/lib")).effectiveWorkfilePath(), "/src/app/lib/");
  EXPECT_EQ(tProject("alice", At("/data/a/b")).effectiveWorkfilePath(), "/work/else/a/b/");
  // The default project's location is empty: the current directory itself.
  const tProject none("alice", At("/elsewhere"));
  EXPECT_EQ(none.projectSettings().ProjectLocation(), "");
  EXPECT_EQ(none.effectiveWorkfilePath(), "/elsewhere/");
}

TEST_F(ProjectTest, OnlyDotSlashStandsForTheProjectLocation) {
  WriteText(SystemIni(),
            "[Projects]\nA=/src/a/\nB=/src/b/\n\n[A]\nTARNWORKPATH=./\n\n[B]\nTARNWORKPATH=.//\n");
  EXPECT_EQ(tProject("alice", At("/src/a/x")).effectiveWorkfilePath(), "/src/a/x/");
  // ".//" is a relative path like any other: taken from the current directory.
  EXPECT_EQ(tProject("alice", At("/src/b/x")).effectiveWorkfilePath(), "/src/b/x/x/");
}

TEST_F(ProjectTest, ProjectOpenedByNameButNotListedIsAtTheCurrentDirectory) {
  const tProject project("Unlisted", "dorn.ini", At("/here/now"));
  EXPECT_EQ(project.projectSettings().ProjectLocation(), "/here/now/");
  EXPECT_EQ(project.IsSystemProject(), ttTRUE);
}

TEST_F(ProjectTest, ValuesInheritUserSystemDefaultBuiltIn) {
  WriteText(SystemIni(),
            "[Projects]\nProj=/src/\n\n"
            "[Default]\nTARNJOURNALNAME=team.jnl\nTARNPATH=/logs/default\n\n"
            "[Proj]\nTARNPATH=/logs/proj/\nTARNCHECKLOCK=no\nTARNRETRY=9\n");
  WriteText(UserIni(), "[Projects]\nMine=/src/app/\n\n[Mine]\nTARNCHECKLOCK=yes\nTARNBINARY=YES\n");
  const tProject project("alice", At("/src/app/"));
  const tProjectSettings& s = project.projectSettings();
  EXPECT_EQ(s.Text(Setting::kJournalName), "team.jnl");
  EXPECT_EQ(s.OriginOf(Setting::kJournalName), Origin::kDefaultProject);
  EXPECT_EQ(s.LogfilePath(), "/logs/proj/");
  EXPECT_EQ(s.OriginOf(Setting::kLogfilePath), Origin::kSystemProject);
  EXPECT_EQ(s.RetryCount(), 9);
  EXPECT_TRUE(s.Flag(Setting::kCheckLock));
  EXPECT_EQ(s.OriginOf(Setting::kCheckLock), Origin::kUserProject);
  EXPECT_TRUE(s.Flag(Setting::kBinaryFile));
  EXPECT_EQ(s.OriginOf(Setting::kCompression), Origin::kBuiltIn);
  EXPECT_TRUE(s.Flag(Setting::kCompression));

  // The system project alone: its "no" turns off a flag that is on by default.
  const tProject system("alice", At("/src/other"));
  EXPECT_FALSE(system.projectSettings().Flag(Setting::kCheckLock));
  EXPECT_EQ(system.projectSettings().OriginOf(Setting::kCheckLock), Origin::kSystemProject);
  // The default project's own path gets its separator.
  EXPECT_EQ(tProject("alice", At("/x")).projectSettings().LogfilePath(), "/logs/default/");
}

TEST_F(ProjectTest, AValueThatIsNoNumberLeavesTheInheritedRetryCount) {
  WriteText(SystemIni(), "[Projects]\nProj=/src/\n\n[Proj]\nTARNRETRY=many\n");
  const tProject project("alice", At("/src"));
  EXPECT_EQ(project.projectSettings().RetryCount(), 4);
  EXPECT_EQ(project.projectSettings().OriginOf(Setting::kRetryCount), Origin::kBuiltIn);
}

TEST_F(ProjectTest, WritingTheInheritedValueRemovesTheKey) {
  WriteText(SystemIni(),
            "[Projects]\nProj=/src/\n\n[Default]\nTARNPATH=/logs/\n\n"
            "[Proj]\nTARNPATH=/logs/proj/\nTARNBINARY=yes\n");
  tProject project("Proj", "dorn.ini", At("/src"));
  project.projectSettings().LogfilePath("/logs");
  ASSERT_EQ(project.write(), IniWrite::kWritten);
  EXPECT_EQ(ReadText(SystemIni()),
            "[Projects]\nProj=/src/\n\n[Default]\nTARNPATH=/logs/\n\n[Proj]\nTARNBINARY=yes\n");
  // From now on the project follows its parent.
  tProject parent("Default", "dorn.ini", At("/src"));
  parent.projectSettings().LogfilePath("/moved/");
  ASSERT_EQ(parent.write(), IniWrite::kWritten);
  EXPECT_EQ(tProject("Proj", "dorn.ini", At("/src")).projectSettings().LogfilePath(), "/moved/");
}

TEST_F(ProjectTest, WriteStoresOnlyWhatTheUserChanged) {
  const std::string before =
      "[Projects]\nProj=/src/\n\n[Proj]\n; kept by hand\nTARNJOURNALNAME=proj.jnl\n";
  WriteText(SystemIni(), before);
  {
    tProject unchanged("Proj", "dorn.ini", At("/src"));
    ASSERT_EQ(unchanged.write(), IniWrite::kWritten);
    EXPECT_EQ(ReadText(SystemIni()), before);
  }
  tProject project("Proj", "dorn.ini", At("/src"));
  project.projectSettings().SetFlag(Setting::kExpandKeywords, true);
  project.projectSettings().RetryCount(7);
  ASSERT_EQ(project.write(), IniWrite::kWritten);
  EXPECT_EQ(ReadText(SystemIni()),
            "[Projects]\nProj=/src/\n\n[Proj]\n; kept by hand\nTARNJOURNALNAME=proj.jnl\n"
            "TARNRETRY=7\nTARNEXPAND=yes\n");
}

TEST_F(ProjectTest, NewUserProjectGetsItsListLineAndItsValues) {
  WriteText(SystemIni(), "[Projects]\nProj=/src/\n\n[Proj]\nTARNPATH=/logs/proj/\n");
  tProject project("Mine", "alice.ini", At("/src/app"));
  EXPECT_EQ(project.SystemProjectName(), "Proj");
  EXPECT_EQ(project.inheritedSettings().LogfilePath(), "/logs/proj/");
  project.projectSettings().ProjectLocation("/src/app");
  project.projectSettings().SetFlag(Setting::kCompression, false);
  ASSERT_EQ(project.write(), IniWrite::kWritten);
  EXPECT_EQ(ReadText(UserIni()), "[Projects]\nMine=/src/app/\n\n[Mine]\nTARNCOMPRESS=no\n");
}

}  // namespace
}  // namespace tarn
