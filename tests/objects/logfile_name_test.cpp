// Logfile names through the object interface, and their agreement with the
// engine's rule.
#include "objects/logfile_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/store/disk_names.h"
#include "platform/paths.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

class LogfileNameTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  tEnvVar SettingsWith(const char* logfileDirectory) {
    tEnvVar settings;
    settings.TARNPath(logfileDirectory);
    return settings;
  }
};

struct NameCase {
  const char* workfile;
  const char* logfileDirectory;
  const char* logfile;
  const char* lockFile;
};

TEST_F(LogfileNameTest, DerivesLogfileAndLockFileNames) {
  const NameCase cases[] = {
      {"foo.c", "TARN/", "TARN/foo.d", "TARN/$oo.d"},
      {"src/main.cpp", "TARN/", "src/TARN/main.dqq", "src/TARN/$ain.dqq"},
      {"readme", "TARN/", "TARN/readme.___", "TARN/$eadme.___"},
      {"notes.", "TARN/", "TARN/notes.___", "TARN/$otes.___"},
      {"a.z9_", "TARN/", "TARN/a.a0_", "TARN/$.a0_"},
      {"b.Zz", "TARN/", "TARN/b.Aa", "TARN/$.Aa"},
      // An absolute logfile directory: the workfile's directory is not
      // glued onto it.
      {"src/main.cpp", "/srv/logs/", "/srv/logs/main.dqq", "/srv/logs/$ain.dqq"},
      {"/home/u/p/x.h", "/srv/logs/", "/srv/logs/x.i", "/srv/logs/$.i"},
      // A directory without its separator is a directory all the same.
      {"src/main.cpp", "TARN", "src/TARN/main.dqq", "src/TARN/$ain.dqq"},
      {"foo.c", "/srv/logs", "/srv/logs/foo.d", "/srv/logs/$oo.d"},
      // A "." in a directory name is not an extension.
      {"v1.2/readme", "L/", "v1.2/L/readme.___", "v1.2/L/$eadme.___"},
  };
  for (const NameCase& c : cases) {
    const tEnvVar settings = SettingsWith(c.logfileDirectory);
    const tLogfileName name(c.workfile, &settings);
    EXPECT_STREQ(name.RelativePathName(), c.logfile) << c.workfile << " in " << c.logfileDirectory;
    EXPECT_STREQ(name.LockName(), c.lockFile) << c.workfile << " in " << c.logfileDirectory;
    EXPECT_STREQ(name.BaseName(), c.workfile);
    EXPECT_STREQ(name.EnvVar()->TARNPath(), c.logfileDirectory);
  }
}

// Whatever the settings hold, the object and the engine (which receives the
// directory without its separator) name the same file.
TEST_F(LogfileNameTest, AgreesWithTheEngine) {
  const char* directories[] = {"TARN/", "TARN", "a/b/", "/srv/logs/", "/"};
  const char* workfiles[] = {"main.c", "p/stdio.h", "/abs/dir/x.cpp", "../up/readme", "./n."};
  for (const char* directory : directories) {
    const tEnvVar settings = SettingsWith(directory);
    tarnEnvironVars env;
    settings.CopyToStruct(&env);
    for (const char* workfile : workfiles) {
      const tLogfileName name(workfile, &settings);
      EXPECT_EQ(platform::FullPathName(name.RelativePathName()),
                platform::FullPathName(LogfilePathOf(workfile, env.logfileDirectory)))
          << workfile << " in " << directory;
    }
  }
}

TEST_F(LogfileNameTest, FullPathIsAbsoluteAndNormalised) {
  const tEnvVar settings = SettingsWith("TARN/");
  const tLogfileName name("src/../src/./main.c", &settings);
  const std::string expected = platform::CurrentDirectory() + "/src/TARN/main.d";
  EXPECT_EQ(std::string(name.FullPathName()), expected);
}

TEST_F(LogfileNameTest, CopiesAreDeepAndKeepTheirSettings) {
  tEnvVar settings = SettingsWith("one/");
  tLogfileName copy("x.c", &settings);
  {
    const tLogfileName original("y.c", &settings);
    copy = original;
    settings.TARNPath("two/");  // the name keeps its own copy
  }
  EXPECT_STREQ(copy.RelativePathName(), "one/y.d");
  EXPECT_STREQ(copy.EnvVar()->TARNPath(), "one/");
  const tLogfileName second(copy);
  EXPECT_STREQ(second.LockName(), "one/$.d");
}

TEST_F(LogfileNameTest, EngineFindsTheDirectoryOfTheLogfile) {
  EXPECT_EQ(LogfileDirectoryOf("p/stdio.h", "TARN"), "p/TARN");
  EXPECT_EQ(LogfileDirectoryOf("stdio.h", "TARN"), "TARN");
  EXPECT_EQ(LogfileDirectoryOf("p/stdio.h", "/srv/logs"), "/srv/logs");
  EXPECT_EQ(LogfileDirectoryOf("p/stdio.h", ""), "p");
  EXPECT_EQ(LogfileDirectoryOf("stdio.h", ""), ".");
  EXPECT_EQ(LogfileDirectoryOf("stdio.h", "/"), "/");
}

}  // namespace
}  // namespace tarn
