// `tarn project` and `tarn user`: their entry points against a scratch
// configuration directory, checked through the INI files they leave and
// what they report.
#include "projects/project_shell.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/login_name.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::ReadText;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteText;

// Runs the shell with TARNUSER set to `user` (unset when empty).
class ProjectShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    ::unsetenv("TARNPATH");
    ::setenv("TARNUSER", "alice", 1);
  }
  void TearDown() override { ::unsetenv("TARNUSER"); }

  ProjectPlace Place(const std::string& directory = "/src/app/lib") const {
    return ProjectPlace{Config(), directory};
  }
  std::string Config() const { return root_.File("config"); }
  std::string SystemIni() const { return Config() + "/dorn.ini"; }

  int Project(std::vector<std::string> words, const std::string& directory = "/src/app/lib") {
    host_.Clear();
    return RunProjectShell(words, host_, Place(directory));
  }
  int User(std::vector<std::string> words) {
    host_.Clear();
    return RunUserShell(words, host_, Place());
  }

  TempDir root_;
  RecordingHost host_;
};

TEST_F(ProjectShellTest, CreateSetClearAndDeleteASystemProject) {
  // The configuration directory is made on the first write.
  ASSERT_EQ(Project({"create", "system", "Proj", "/src"}), 0) << host_.All();
  EXPECT_TRUE(host_.Saw("project 'Proj' created"));
  ASSERT_EQ(Project({"set", "system", "Proj", "tarnpath", "/logs/proj"}), 0) << host_.All();
  ASSERT_EQ(Project({"set", "system", "Proj", "TARNCOMPRESS", "No"}), 0) << host_.All();
  EXPECT_EQ(ReadText(SystemIni()),
            "[Projects]\nProj=/src/\n\n[Proj]\nTARNPATH=/logs/proj/\nTARNCOMPRESS=no\n");
  // The value it inherits anyway: the key goes.
  ASSERT_EQ(Project({"set", "system", "Proj", "TARNCOMPRESS", "yes"}), 0);
  EXPECT_TRUE(host_.Saw("now follows what the project inherits"));
  ASSERT_EQ(Project({"clear", "system", "Proj", "TARNPATH"}), 0);
  EXPECT_EQ(ReadText(SystemIni()), "[Projects]\nProj=/src/\n\n[Proj]\n");
  ASSERT_EQ(Project({"delete", "system", "Proj"}), 0) << host_.All();
  EXPECT_EQ(ReadText(SystemIni()), "[Projects]\n");
  EXPECT_EQ(Project({"delete", "system", "Proj"}), 1);
  EXPECT_TRUE(host_.Saw("'Proj' is not defined"));
}

TEST_F(ProjectShellTest, ShowNamesTheProjectAndWhereEachValueComesFrom) {
  ASSERT_EQ(Project({"create", "system", "Proj", "/src"}), 0);
  ASSERT_EQ(Project({"set", "system", "Proj", "TARNPATH", "/logs/proj"}), 0);
  ASSERT_EQ(Project({"set", "system", "Default", "TARNJOURNALNAME", "team.jnl"}), 0);
  ASSERT_EQ(Project({"create", "user", "Mine", "/src/app"}), 0) << host_.All();
  ASSERT_EQ(Project({"set", "user", "Mine", "TARNBINARY", "yes"}), 0);
  EXPECT_EQ(ReadText(root_.File("config/alice.ini")),
            "[Projects]\nMine=/src/app/\n\n[Mine]\nTARNBINARY=yes\n");
  ::setenv("TARNRETRY", "12", 1);
  ASSERT_EQ(Project({}), 0);
  ::unsetenv("TARNRETRY");
  const std::string all = host_.All();
  EXPECT_TRUE(host_.Saw("Project in force: Mine (user project)")) << all;
  EXPECT_TRUE(host_.Saw("Standing over system project: Proj")) << all;
  EXPECT_TRUE(host_.Saw("Effective workfile directory: /src/app/lib/")) << all;
  auto line_of = [&](const std::string& key) {
    for (const auto& message : host_.messages()) {
      if (message.text.find("  " + key + " ") == 0) return message.text;
    }
    return std::string("<none>");
  };
  EXPECT_NE(line_of("TARNPATH").find("/logs/proj/"), std::string::npos) << all;
  EXPECT_NE(line_of("TARNPATH").find("system project"), std::string::npos) << all;
  EXPECT_NE(line_of("TARNJOURNALNAME").find("default project"), std::string::npos) << all;
  EXPECT_NE(line_of("TARNBINARY").find("user project"), std::string::npos) << all;
  EXPECT_NE(line_of("TARNRETRY").find("12"), std::string::npos) << all;
  EXPECT_NE(line_of("TARNRETRY").find("environment"), std::string::npos) << all;
  EXPECT_NE(line_of("TARNEXPAND").find("built-in"), std::string::npos) << all;

  ASSERT_EQ(Project({"list", "user"}), 0);
  EXPECT_TRUE(host_.Saw("Mine  /src/app/"));
}

TEST_F(ProjectShellTest, RefusesBadCommandLinesAndValues) {
  EXPECT_EQ(Project({"rename"}), 2);
  EXPECT_TRUE(host_.Saw("unknown subcommand 'rename'"));
  EXPECT_TRUE(host_.Saw("Usage: tarn project"));
  EXPECT_EQ(Project({"set", "system", "Default"}), 2);
  EXPECT_EQ(Project({"set", "galaxy", "Default", "TARNPATH", "/x"}), 2);
  EXPECT_EQ(Project({"set", "system", "Default", "COLOUR", "red"}), 2);
  EXPECT_TRUE(host_.Saw("'COLOUR' is not a project setting"));
  EXPECT_EQ(Project({"set", "system", "Default", "TARNCHECKLOCK", "maybe"}), 2);
  EXPECT_EQ(Project({"set", "system", "Default", "TARNRETRY", "4x"}), 2);
  EXPECT_EQ(Project({"set", "system", "Nowhere", "TARNRETRY", "4"}), 1);
  EXPECT_EQ(Project({"create", "system", "Bad=Name", "/src"}), 2);
  EXPECT_EQ(Project({"delete", "system", "Default"}), 1);
  // The INI files' own sections, in any letter case.
  for (const char* name : {"Users", "PROJECTS", "tools", "Default", "dEfault", "Settings"}) {
    EXPECT_EQ(Project({"create", "system", name, "/src"}), 2) << name;
  }
  EXPECT_TRUE(host_.Saw("are the INI files' own sections"));
  EXPECT_EQ(Project({"set", "system", "USERS", "TARNPATH", "/x"}), 2);
  EXPECT_EQ(Project({"clear", "system", "DEFAULT", "TARNPATH"}), 2);
  EXPECT_EQ(Project({"delete", "system", "Users"}), 2);
  // A user whose INI file would be the lock file of dorn.ini.
  ::setenv("TARNUSER", "$orn", 1);
  EXPECT_EQ(Project({"create", "user", "Mine", "/src"}), 1);
  EXPECT_TRUE(host_.Saw("'$orn' from TARNUSER cannot be used"));
  EXPECT_FALSE(std::filesystem::exists(Config() + "/$orn.ini"));
  // Nothing of it reached a file.
  EXPECT_FALSE(std::filesystem::exists(SystemIni()));
}

TEST_F(ProjectShellTest, WithoutTheUserVariableTheLoginNamesProjectsAreInForce) {
  ::setenv("TARNUSER", "", 1);  // empty counts as not set
  const std::optional<std::string> login = platform::LoginName();
  ASSERT_TRUE(login.has_value());
  ASSERT_EQ(Project({"create", "user", "Mine", "/src"}), 0) << host_.All();
  EXPECT_EQ(ReadText(Config() + "/" + *login + ".ini"), "[Projects]\nMine=/src/\n");
  ::setenv("TARNPATH", "", 1);
  ASSERT_EQ(Project({}), 0) << host_.All();
  EXPECT_TRUE(host_.Saw("Project in force: Mine (user project)")) << host_.All();
  EXPECT_TRUE(host_.Saw("TARNPATH is set to an empty value, which counts as not set"));
  EXPECT_TRUE(host_.Saw("(the location /src/ does not exist)")) << host_.All();
  ::unsetenv("TARNPATH");
}

TEST_F(ProjectShellTest, UsersAreListedAddedAndDeleted) {
  EXPECT_EQ(User({"list"}), 0);
  EXPECT_TRUE(host_.Saw("no users are defined"));
  EXPECT_EQ(User({"add", "ann"}), 0);
  EXPECT_EQ(User({"add", "bob"}), 0);
  EXPECT_EQ(User({"add", "ann"}), 1);
  EXPECT_TRUE(host_.Saw("User ann is already defined!"));
  EXPECT_EQ(User({"add", "x=y"}), 2);
  EXPECT_EQ(User({"delete", "bob"}), 0);
  EXPECT_EQ(User({"delete", "bob"}), 1);
  EXPECT_EQ(User({"list"}), 0);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, "  ann");
  EXPECT_EQ(User({"remove", "ann"}), 2);
  EXPECT_EQ(ReadText(SystemIni()), "[Users]\nann=\n");
}

}  // namespace
}  // namespace tarn
