// tarn_demo: shows the logfile header at work in a scratch directory.
//
// Loads the catalogue from the program's directory, writes a workfile and
// the header of a new logfile for it (the settings' default attributes, the
// access list, owner, comment prefix, a description and the supplemental
// info), reads the header back from disk and prints what it holds. Exits 0
// when everything read back as written.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "engine/comment_prefix.h"
#include "engine/console_host.h"
#include "engine/environment.h"
#include "engine/guarded_memory.h"
#include "engine/logfile_header_io.h"
#include "engine/logfile_names.h"
#include "engine/message_catalogue.h"
#include "engine/messages.h"
#include "engine/report.h"
#include "engine/supplemental_info.h"
#include "engine/user_list.h"
#include "objects/env_var.h"
#include "platform/clock.h"
#include "platform/environment_variables.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace tarn {
namespace {

constexpr std::string_view kProgram = "tarn_demo";
constexpr std::string_view kWorkfileText =
    "#include <stdio.h>\n\nint main(void) {\n  puts(\"hello\");\n  return 0;\n}\n";

// A fresh directory under the temporary directory, removed with its files.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const std::string base = platform::TemporaryDirectory() + "tarn-demo-" +
                             std::to_string(platform::CurrentTime()) + "-";
    for (int n = 0; n < 1000 && path_.empty(); ++n) {
      std::error_code error;
      const std::string candidate = base + std::to_string(n);
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
    }
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The settings of the demonstration: the environment's, with a user and an
// access list even where the environment names none.
tarnEnvironVars DemoSettings() {
  const tEnvVar settings;
  tarnEnvironVars env;
  settings.CopyToStruct(&env);
  const std::string none = MessageText(msg::kWordNone.number);
  if (env.userName.empty() || env.userName == none) env.userName = "demo";
  if (env.accessList.empty() || env.accessList == none) env.accessList = env.userName;
  return env;
}

// The header of a new logfile for `workfile`, as a first check-in makes it.
std::optional<LogfileHeader> NewHeader(const std::string& workfile, const tarnEnvironVars& env) {
  LogfileHeader header;
  header.fixed._iAttributes = static_cast<std::uint16_t>(env.attributes & 0xFF);
  header.accessList = env.accessList;
  header.modifierList = env.accessList;
  if (UserIndex(env.userName, header.modifierList) < 0) {
    header.modifierList += "," + env.userName;
  }
  header.owner = env.userName;
  header.commentPrefix = ChooseCommentPrefix(CommentPrefixList(env.commentPrefix), workfile);
  header.description = "A small program that greets.\nWritten by the TARN demonstration.";
  if (UpdateSupplementalInfo(header, workfile, env) != 1) return std::nullopt;
  return header;
}

bool WriteWorkfile(const std::string& path) {
  std::optional<platform::File> file =
      platform::File::Open(path, platform::OpenMode::kCreateExclusive);
  if (!file) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(kWorkfileText.data());
  return file->WriteAll({bytes, kWorkfileText.size()}) && file->Close();
}

void PrintHeader(const std::string& logfile, const LogfileHeader& header) {
  const tLogFileHdr& fixed = header.fixed;
  std::printf("logfile         %s\n", logfile.c_str());
  std::printf("lock file       %s\n", LockFileName(logfile).c_str());
  std::printf("format          %d\n", fixed._iFormat);
  std::printf("trunk           major %d, minor %d (no revision yet)\n", fixed._iMajorNumber,
              fixed._iMinorNumber);
  std::printf("attributes      0x%02X", fixed._iAttributes);
  const std::pair<std::uint16_t, MessageId> names[] = {
      {kAttrCheckLock, msg::kWordCheckLock},
      {kAttrDeleteWork, msg::kWordDeleteWork},
      {kAttrExpandKeywords, msg::kWordExpandKeywords},
      {kAttrProtectLogFile, msg::kWordProtectLogFile},
      {kAttrProtectWorkFile, msg::kWordProtectWorkFile},
      {kAttrBinaryFile, msg::kWordBinaryFile},
      {kAttrJournalFile, msg::kWordJournalFile},
      {kAttrCompression, msg::kWordCompression}};
  for (const auto& [bit, word] : names) {
    if ((fixed._iAttributes & bit) != 0) std::printf(" %s", MessageText(word.number));
  }
  std::printf("\nrevisions       %d, locked %d, labels %d\n", fixed._iRevisionCount,
              fixed._iLockCount, fixed._iVersionCount);
  std::printf("access list     %s\n", header.accessList.c_str());
  std::printf("modifier list   %s\n", header.modifierList.c_str());
  std::printf("owner           %s\n", header.owner.c_str());
  std::printf("comment prefix  '%s'\n", header.commentPrefix.c_str());
  std::string description = header.description;
  for (std::size_t at = description.find('\n'); at != std::string::npos;
       at = description.find('\n', at + 1)) {
    description.insert(at + 1, 16, ' ');
  }
  std::printf("description     %s\n", description.c_str());
  const int modifier = LastModifierIndex(header.supplementalInfo);
  std::printf("workfile        %s\n", WorkfileName(header.supplementalInfo).c_str());
  std::printf("last modifier   %d (%s)\n", modifier,
              UserName(header.modifierList, modifier).c_str());
  std::printf("last update     %lld\n",
              static_cast<long long>(LastLogfileUpdate(header.supplementalInfo)));
  std::printf("workfile size   %lld bytes\n",
              static_cast<long long>(LastWorkfileSize(header.supplementalInfo)));
  std::printf("checksum        0x%04X\n", fixed._iChecksum);
}

int Demonstrate() {
  const ScratchDirectory scratch;
  if (scratch.path().empty()) {
    std::fprintf(stderr, "%s: cannot make a scratch directory\n", kProgram.data());
    return 1;
  }
  tarnEnvironVars env = DemoSettings();
  env.logfileDirectory = scratch.path();
  const std::string workfile = scratch.path() + "/hello.c";
  if (!WriteWorkfile(workfile)) {
    std::fprintf(stderr, "%s: cannot write %s\n", kProgram.data(), workfile.c_str());
    return 1;
  }
  const std::optional<std::string> logfile =
      LogfileNameFromWorkfile("hello.c", env.logfileDirectory);
  std::optional<LogfileHeader> written = logfile ? NewHeader(workfile, env) : std::nullopt;
  if (!written) return 1;
  {
    std::optional<platform::File> file =
        platform::File::Open(*logfile, platform::OpenMode::kCreateExclusive);
    if (!file || WriteLogfileHeader(*file, *written) != 1 || !file->Close()) return 1;
  }
  LogfileHeader read;
  {
    std::optional<platform::File> file = platform::File::Open(*logfile, platform::OpenMode::kRead);
    if (!file || ReadLogfileHeader(*file, read) != 1) return 1;
  }
  PrintHeader(*logfile, read);
  const bool same = read == *written;
  std::printf("read back       %s\n", same ? "as written" : "DIFFERENT from what was written");
  ReleaseLogfileHeader(read);
  return same ? 0 : 1;
}

}  // namespace
}  // namespace tarn

int main() {
  using namespace tarn;
  if (LoadMessageFile(kProgram, kCatalogueFileName, platform::ProgramDirectory()) != 1) return 1;
  MemInit();
  int status;
  {
    ConsoleHost host;
    Host* previous = SetHost(&host);
    const ScopedProgramLabel label(kProgram);
    status = Demonstrate();
    SetHost(previous);
  }
  MemTerm();  // every engine block is back: the leak check stops otherwise
  FreeMessages();
  return status;
}
