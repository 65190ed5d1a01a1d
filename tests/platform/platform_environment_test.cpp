#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/environment_variables.h"
#include "tests/support/test_support.h"

namespace tarn::platform {
namespace {

// Sets or unsets one variable for a test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value == nullptr) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value, 1);
    }
  }
  ~ScopedVariable() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(PlatformEnvironment, ReadsVariablesAndTellsUnsetFromEmpty) {
  {
    const ScopedVariable set("TARN_TEST_VARIABLE", "value with spaces");
    EXPECT_EQ(GetEnvironmentVariable("TARN_TEST_VARIABLE"), "value with spaces");
  }
  EXPECT_EQ(GetEnvironmentVariable("TARN_TEST_VARIABLE"), std::nullopt);
  const ScopedVariable empty("TARN_TEST_VARIABLE", "");
  EXPECT_EQ(GetEnvironmentVariable("TARN_TEST_VARIABLE"), "");
  EXPECT_EQ(GetEnvironmentVariable(""), std::nullopt);
  EXPECT_EQ(GetEnvironmentVariable("TARN_TEST_VARIABLE="), std::nullopt);
}

TEST(PlatformEnvironment, TemporaryDirectoryPrefersTempThenTmpdir) {
  {
    const ScopedVariable temp("TEMP", "/scratch/temp");
    const ScopedVariable tmpdir("TMPDIR", "/scratch/tmpdir/");
    EXPECT_EQ(TemporaryDirectory(), "/scratch/temp/");
  }
  {
    const ScopedVariable temp("TEMP", nullptr);
    const ScopedVariable tmpdir("TMPDIR", "/scratch/tmpdir/");
    EXPECT_EQ(TemporaryDirectory(), "/scratch/tmpdir/");
  }
  {
    // An empty TEMP would make the root directory the temporary one.
    const ScopedVariable temp("TEMP", "");
    const ScopedVariable tmpdir("TMPDIR", "/scratch/tmpdir");
    EXPECT_EQ(TemporaryDirectory(), "/scratch/tmpdir/");
  }
  {
    const ScopedVariable temp("TEMP", nullptr);
    const ScopedVariable tmpdir("TMPDIR", nullptr);
    EXPECT_EQ(TemporaryDirectory(), "/tmp/");
  }
}

TEST(PlatformEnvironment, ProgramDirectoryIsWhereTheProgramLies) {
  // The tests are built into the same directory as the programs.
  const std::string built = std::filesystem::canonical(testing::BinDir()).string() + "/";
  EXPECT_EQ(ProgramDirectory(), built);

  SetProgramDirectory("/opt/tarn");
  EXPECT_EQ(ProgramDirectory(), "/opt/tarn/");
  SetProgramDirectory("/opt/tarn/bin/../share/");
  EXPECT_EQ(ProgramDirectory(), "/opt/tarn/share/");
  SetProgramDirectory("");
  EXPECT_EQ(ProgramDirectory(), built);
}

}  // namespace
}  // namespace tarn::platform
