// What a project is called, who a user may be, how flags are written by
// hand, and how locations meet the current directory: through links, with
// redundant separators, through a project's workfile location.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "projects/ini_file.h"
#include "projects/project.h"
#include "projects/project_settings.h"
#include "projects/reserved_names.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteText;

class NamesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::LoadCatalogue(); }
};

struct NameCase {
  const char* name;
  bool reservedProject;
  bool usableUser;
};

const NameCase kNames[] = {
    {"Users", true, true},      {"USERS", true, true},       {"projects", true, true},
    {"Tools", true, true},      {"tOOLS", true, true},       {"Default", true, true},
    {"default", true, true},    {"Settings", true, true},    {"Web", false, true},
    {"Users2", false, true},    {"ann", false, true},        {"$orn", false, false},
    {"!orn", false, false},     {"$", false, false},         {"", false, false},
    {".hidden", false, false},  {"..", false, false},        {"a/b", false, false},
    {"../dorn", false, false},  {"dorn", false, false},      {"DORN", false, false},
    {"dornx", false, true},     {"a=b", false, false},       {"[x", false, false},
    {";x", false, false},       {"tab\there", false, false}, {"new\nline", false, false},
    {"o'brien", false, true},   {"ann.smith", false, true},  {"x$", false, true},
};

TEST_F(NamesTest, ReservedProjectNamesAndUsableUserNames) {
  for (const NameCase& c : kNames) {
    EXPECT_EQ(IsReservedProjectName(c.name), c.reservedProject) << c.name;
    EXPECT_EQ(IsUsableUserName(c.name), c.usableUser) << c.name;
  }
  EXPECT_FALSE(IsUsableUserName(std::string(252, 'u')));
  EXPECT_TRUE(IsUsableUserName(std::string(251, 'u')));
  const std::string names = ReservedProjectNames();
  for (const char* word : {"Users", "Projects", "Tools", "Default"}) {
    EXPECT_NE(names.find(word), std::string::npos) << names;
  }
}

struct FlagCase {
  const char* text;
  std::optional<bool> value;
};

const FlagCase kFlags[] = {
    {"yes", true},  {"YES", true},    {"Yes", true},   {"no", false},      {"No", false},
    {"true", true}, {"TRUE", true},   {"on", true},    {"On", true},       {"1", true},
    {"false", false}, {"False", false}, {"off", false}, {"OFF", false},    {"0", false},
    {"", std::nullopt}, {"y", std::nullopt}, {"2", std::nullopt}, {" yes", std::nullopt},
    {"yes ", std::nullopt}, {"01", std::nullopt}, {"enabled", std::nullopt},
};

TEST_F(NamesTest, FlagSpellings) {
  for (const FlagCase& c : kFlags) EXPECT_EQ(ParseFlag(c.text), c.value) << "'" << c.text << "'";
}

TEST_F(NamesTest, AHandWrittenFlagIsReadOrReportedWithFileSectionAndKeyAndIgnored) {
  TempDir dir;
  const std::string path = dir.File("dorn.ini");
  // The default project turns compression off; the project's own lines say
  // "true" for expansion, "maybe" for compression (ignored: it inherits off).
  WriteText(path,
            "[Projects]\nWeb=/srv/web/\n\n[Default]\nTARNCOMPRESS=no\n\n"
            "[Web]\nTARNEXPAND=true\nTARNCOMPRESS=maybe\nTARNDELETEWORK=On\n");
  RecordingHost host;
  Host* previous = SetHost(&host);
  tIniFile ini(path);
  const tProjectSettings built_in;
  tProjectSettings defaults(MessageText(msg::kIniDefaultProject.number), ini, built_in,
                            Origin::kDefaultProject, "/");
  tProjectSettings web("Web", ini, defaults, Origin::kSystemProject, "/");
  tProjectSettings again("Web", ini, defaults, Origin::kSystemProject, "/");
  SetHost(previous);
  EXPECT_TRUE(web.Flag(Setting::kExpandKeywords));
  EXPECT_TRUE(web.Flag(Setting::kDeleteWork));
  EXPECT_FALSE(web.Flag(Setting::kCompression));
  EXPECT_EQ(web.OriginOf(Setting::kCompression), Origin::kDefaultProject);
  ASSERT_EQ(host.messages().size(), 1u);  // once, however often it is read
  const std::string& text = host.messages()[0].text;
  for (const std::string& part : {path, std::string("Web"), std::string("TARNCOMPRESS"),
                                 std::string("maybe")}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  }
}

class LocationMatchTest : public NamesTest {
 protected:
  void SetUp() override {
    root_ = fs::canonical(dir_.path()).string();
    fs::create_directories(root_ + "/real/app/lib");
    fs::create_directories(root_ + "/work/sub");
    fs::create_directory_symlink(root_ + "/real", root_ + "/link");
  }
  std::string Expand(std::string text) const {
    for (std::size_t at; (at = text.find("{T}")) != std::string::npos;) {
      text.replace(at, 3, root_);
    }
    return text;
  }
  TempDir dir_;
  TempDir config_;
  std::string root_;
};

struct LocationCase {
  const char* name;
  const char* ini;        // the system INI file; {T} is the scratch tree
  const char* directory;  // the current directory
  const char* project;
  const char* appended;
  const char* workfiles;  // the effective workfile directory
};

const LocationCase kLocations[] = {
    {"LocationThroughALink", "[Projects]\nP={T}/link/app\n", "{T}/real/app/lib", "P", "lib/",
     "{T}/link/app/lib/"},
    {"CurrentDirectoryGivenThroughALink", "[Projects]\nP={T}/real/app\n", "{T}/link/app/lib", "P",
     "lib/", "{T}/real/app/lib/"},
    {"RedundantSeparatorsAndDots", "[Projects]\nP={T}//real/./app/\n", "{T}/real/app/lib", "P",
     "lib/", "{T}/real/app/lib/"},
    {"MissingLocationComparesAsNormalisedText", "[Projects]\nP={T}/gone//x/./y\n",
     "{T}/gone/x/y/z", "P", "z/", "{T}/gone/x/y/z/"},
    {"APrefixOfTheTextIsNoMatch", "[Projects]\nP={T}/real/ap\n", "{T}/real/app", "Default",
     "{T}/real/app/", "{T}/real/app/"},
    {"InsideTheWorkfileLocation", "[Projects]\nP={T}/real/app\n\n[P]\nTARNWORKPATH={T}/work\n",
     "{T}/work/sub", "P", "sub/", "{T}/work/sub/"},
    {"TheProjectLocationStillCounts", "[Projects]\nP={T}/real/app\n\n[P]\nTARNWORKPATH={T}/work\n",
     "{T}/real/app/lib", "P", "lib/", "{T}/work/lib/"},
};

class LocationCaseTest : public LocationMatchTest,
                         public ::testing::WithParamInterface<LocationCase> {};

TEST_P(LocationCaseTest, FindsTheProjectAndTheDirectoryBelowIt) {
  const LocationCase& c = GetParam();
  WriteText(config_.File("dorn.ini"), Expand(c.ini));
  const tProject project("alice", ProjectPlace{config_.path().string(), Expand(c.directory)});
  EXPECT_EQ(project.ProjectName(), c.project);
  EXPECT_EQ(project.AppendedPath(), Expand(c.appended));
  EXPECT_EQ(project.effectiveWorkfilePath(), Expand(c.workfiles));
}

INSTANTIATE_TEST_SUITE_P(Cases, LocationCaseTest, ::testing::ValuesIn(kLocations),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace tarn
