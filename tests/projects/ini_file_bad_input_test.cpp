// INI files that cannot be used as they stand (binary bytes, an endless line,
// a file too large, a FIFO or a device in the file's place): each is named
// with why, reads give nothing, no change is written, and nothing hangs.
// Also the rewrite's own rules: through a link, the old file's mode, and a
// file whose own bits refuse the writer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "projects/ini_file.h"
#include "projects/ini_reports.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

struct BadFileCase {
  const char* name;
  std::function<void(const std::string& path)> make;
  IniProblem::Kind kind;
  std::size_t line;  // 0: the problem names no line
};

std::string Repeated(std::size_t count, char c) { return std::string(count, c); }

const BadFileCase kBadFiles[] = {
    {"NulByteOnLineThree",
     [](const std::string& path) {
       WriteText(path, std::string("[Users]\nann=\nbo", 15) + std::string(1, '\0') + "b=\n");
     },
     IniProblem::Kind::kBinaryBytes, 3},
    {"BinaryGarbage",
     [](const std::string& path) {
       std::string bytes;
       for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 37) & 0xFF);
       WriteText(path, bytes);
     },
     IniProblem::Kind::kBinaryBytes, 1},
    {"MegabyteLine",
     [](const std::string& path) {
       WriteText(path, "[Projects]\nA=/a/\nB=" + Repeated(1024 * 1024, 'x') + "\n");
     },
     IniProblem::Kind::kLineTooLong, 3},
    {"LineJustOverTheLimitWithCarriageReturn",
     [](const std::string& path) {
       WriteText(path, "k=" + Repeated(tIniFile::kMaxLineLength - 1, 'v') + "\r\n");
     },
     IniProblem::Kind::kLineTooLong, 1},
    {"FileLargerThanTheLimit",
     [](const std::string& path) {
       std::string line = "[S]\n" + Repeated(1000, 'k') + "=1\n";
       std::string text;
       while (text.size() <= static_cast<std::size_t>(tIniFile::kMaxFileSize)) text += line;
       WriteText(path, text);
     },
     IniProblem::Kind::kTooLarge, 0},
    {"Fifo",
     [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0); },
     IniProblem::Kind::kNotRegularFile, 0},
    {"DeviceOfEndlessZeros",
     [](const std::string& path) {
       ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 5)), 0);
     },
     IniProblem::Kind::kNotRegularFile, 0},
    {"Directory",
     [](const std::string& path) { ASSERT_TRUE(fs::create_directory(path)); },
     IniProblem::Kind::kNotRegularFile, 0},
};

class IniBadFileTest : public ::testing::TestWithParam<BadFileCase> {
 protected:
  static void SetUpTestSuite() { testing::LoadCatalogue(); }
  TempDir dir_;
};

// What the file was: its bytes for a regular file, its kind otherwise.
std::string Snapshot(const std::string& path) {
  if (fs::is_regular_file(fs::symlink_status(path))) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }
  return "kind " + std::to_string(static_cast<int>(fs::symlink_status(path).type()));
}

TEST_P(IniBadFileTest, IsNamedWithWhyAndNeverRewritten) {
  const BadFileCase& c = GetParam();
  const std::string path = dir_.File("dorn.ini");
  c.make(path);
  const std::string before = Snapshot(path);

  tIniFile reader(path);
  const std::optional<IniProblem> problem = reader.Problem();
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->kind, c.kind);
  EXPECT_EQ(problem->fileName, path);
  EXPECT_EQ(problem->line, c.line);
  EXPECT_EQ(reader.GetValue("Projects", "A"), std::nullopt);
  EXPECT_TRUE(reader.GetKeyNames("Users").empty());
  const std::string text = IniProblemText(*problem);
  EXPECT_NE(text.find(path), std::string::npos) << text;
  if (c.line > 0) {
    EXPECT_NE(text.find(std::to_string(c.line)), std::string::npos) << text;
  }

  {
    tIniFile writer(path);
    EXPECT_EQ(writer.SetValue("Users", "cy", "x"), IniWrite::kUnreadable);
    EXPECT_EQ(writer.SetEmptyValue("Users", "cy"), IniWrite::kUnreadable);
    EXPECT_EQ(writer.RemoveSection("Users"), IniWrite::kUnreadable);
    EXPECT_EQ(IniWriteText(IniWrite::kUnreadable, writer, "cy"), text);
  }
  EXPECT_EQ(Snapshot(path), before);
  EXPECT_FALSE(fs::exists(dir_.File("!orn.ini")));
  EXPECT_FALSE(fs::exists(dir_.File("$orn.ini")));
}

INSTANTIATE_TEST_SUITE_P(Cases, IniBadFileTest, ::testing::ValuesIn(kBadFiles),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

class IniRewriteRulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::LoadCatalogue(); }
  std::string Path() const { return dir_.File("dorn.ini"); }
  static unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
  }
  TempDir dir_;
};

TEST_F(IniRewriteRulesTest, ManySectionsReadAndRewriteWhole) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
  WriteText(Path(), text);
  tIniFile ini(Path());
  EXPECT_FALSE(ini.Problem().has_value());
  EXPECT_EQ(ini.GetValue("S99999", "k"), "99999");
  ASSERT_EQ(ini.SetValue("S0", "k", "zero"), IniWrite::kWritten);
  tIniFile again(Path());
  EXPECT_EQ(again.GetValue("S0", "k"), "zero");
  EXPECT_EQ(again.GetValue("S54321", "k"), "54321");
}

TEST_F(IniRewriteRulesTest, AChangeByAnotherWriterIsSeenByAnEarlierReader) {
  WriteText(Path(), "[S]\nk=1\n");
  tIniFile reader(Path());
  EXPECT_EQ(reader.GetValue("S", "k"), "1");
  {
    tIniFile writer(Path());
    ASSERT_EQ(writer.SetValue("S", "k", "2"), IniWrite::kWritten);
  }
  EXPECT_EQ(reader.GetValue("S", "k"), "2");
  // A hand edit of the same size in place is seen as well.
  WriteText(Path(), "[S]\nk=3\n");
  EXPECT_EQ(reader.GetValue("S", "k"), "3");
}

TEST_F(IniRewriteRulesTest, ALinkIsWrittenThroughAndStays) {
  TempDir shared;
  const std::string team_file = shared.File("dorn.ini");
  WriteText(team_file, "[Users]\nann=\n");
  ASSERT_EQ(::chmod(team_file.c_str(), 0664), 0);
  fs::create_symlink(team_file, Path());
  {
    tIniFile ini(Path());
    EXPECT_EQ(ini.TargetFileName(), team_file);
    EXPECT_EQ(ini.LockFileName(), shared.File("$orn.ini"));
    ASSERT_EQ(ini.SetEmptyValue("Users", "bo"), IniWrite::kWritten);
  }
  EXPECT_TRUE(fs::is_symlink(Path()));
  EXPECT_EQ(fs::read_symlink(Path()), team_file);
  EXPECT_EQ(ReadText(team_file), "[Users]\nann=\nbo=\n");
  EXPECT_EQ(ModeOf(team_file), 0664u);
  for (const char* left : {"!orn.ini", "$orn.ini"}) {
    EXPECT_FALSE(fs::exists(shared.File(left))) << left;
    EXPECT_FALSE(fs::exists(dir_.File(left))) << left;
  }
}

TEST_F(IniRewriteRulesTest, ARelativeLinkIsFollowedFromItsOwnDirectory) {
  fs::create_directory(dir_.File("team"));
  WriteText(dir_.File("team/dorn.ini"), "[S]\nk=1\n");
  fs::create_directory(dir_.File("me"));
  fs::create_symlink("../team/dorn.ini", dir_.File("me/dorn.ini"));
  tIniFile ini(dir_.File("me/dorn.ini"));
  ASSERT_EQ(ini.SetValue("S", "k", "2"), IniWrite::kWritten);
  EXPECT_TRUE(fs::is_symlink(dir_.File("me/dorn.ini")));
  EXPECT_EQ(ReadText(dir_.File("team/dorn.ini")), "[S]\nk=2\n");
}

TEST_F(IniRewriteRulesTest, AFileNobodyMayWriteIsNotReplaced) {
  WriteText(Path(), "[S]\nk=1\n");
  ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
  tIniFile ini(Path());
  EXPECT_EQ(ini.SetValue("S", "k", "2"), IniWrite::kReadOnly);
  EXPECT_EQ(ReadText(Path()), "[S]\nk=1\n");
  EXPECT_EQ(ModeOf(Path()), 0444u);
}

struct ModeCase {
  const char* name;
  unsigned directoryMode;
  std::optional<unsigned> oldMode;  // none: a first file
  bool password;
  unsigned expected;
};

const ModeCase kModes[] = {
    {"FirstFileIsTheOwners", 0755, std::nullopt, false, 0600},
    {"FirstFileInASharedDirectoryIsTheGroupsToo", 02770, std::nullopt, false, 0660},
    {"OldModeKept", 0755, 0644, false, 0644},
    {"OldGroupModeKept", 02775, 0664, false, 0664},
    {"PasswordsLoseWorldAndGroupInAPrivateDirectory", 0755, 0644, true, 0600},
    {"PasswordsKeepTheGroupInASharedDirectory", 02770, 0664, true, 0660},
    {"PasswordsInASharedDirectoryWithoutSetgid", 0770, 0666, true, 0660},
};

class IniModeTest : public IniRewriteRulesTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(IniModeTest, NewFileHasTheExpectedPermissions) {
  const ModeCase& c = GetParam();
  const std::string directory = dir_.File("config");
  fs::create_directory(directory);
  ASSERT_EQ(::chmod(directory.c_str(), c.directoryMode), 0);
  const std::string path = directory + "/dorn.ini";
  if (c.oldMode) {
    WriteText(path, "[Users]\nann=\n");
    ASSERT_EQ(::chmod(path.c_str(), *c.oldMode), 0);
  }
  const std::string users = MessageText(msg::kIniUsersSection.number);
  tIniFile ini(path);
  ASSERT_EQ(ini.SetValue(users, "bo", c.password ? "$argon2id$v=19$m=1,t=1,p=1$x$y" : ""),
            IniWrite::kWritten);
  if (!c.password) {
    ASSERT_EQ(ini.SetEmptyValue(users, "cy"), IniWrite::kWritten);
  }
  EXPECT_EQ(ModeOf(path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniModeTest, ::testing::ValuesIn(kModes),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace tarn
