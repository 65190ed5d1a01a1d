// tarn_demo: TARN's main job in a scratch directory.
//
// A file is added (its logfile created), checked out, changed and checked in;
// a branch is made from its first revision; the first revision is fetched
// again; the second gets a label and is fetched by it; the history is shown. Every step runs the
// engine command as the programs do, from a command line with the catalogue's option words. Exits
// 0 when every revision reads back as it was checked in.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "engine/commands/checkin.h"
#include "engine/commands/checkin_command_line.h"
#include "engine/commands/get_command.h"
#include "engine/commands/label_command.h"
#include "engine/commands/lock_command.h"
#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/revisions/labels.h"
#include "engine/store/disk_names.h"
#include "engine/store/revision_scan.h"
#include "engine/support/console_host.h"
#include "engine/support/environment.h"
#include "engine/support/guarded_memory.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/text/local_date_text.h"
#include "objects/env_var.h"
#include "platform/clock.h"
#include "platform/environment_variables.h"
#include "platform/file.h"

namespace tarn {
namespace {

constexpr std::string_view kProgram = "tarn_demo";
const std::string kFirst = "#include <stdio.h>\n\nint main(void) {\n  puts(\"hello\");\n}\n";
const std::string kSecond =
    "#include <stdio.h>\n\nint main(int argc, char** argv) {\n"
    "  printf(\"hello, %s\\n\", argc > 1 ? argv[1] : \"world\");\n}\n";
const std::string kBranch = "#include <stdio.h>\n\nint main(void) {\n  puts(\"bonjour\");\n}\n";

// A fresh directory under the temporary directory, removed with its files.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const std::string base = platform::TemporaryDirectory() + "tarn-demo-" +
                             std::to_string(platform::CurrentTime()) + "-";
    for (int n = 0; n < 1000 && path_.empty(); ++n) {
      std::error_code error;
      if (std::filesystem::create_directory(base + std::to_string(n), error)) {
        path_ = base + std::to_string(n);
      }
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

std::string Option(const MessageId& word) { return std::string("-") + MessageText(word.number); }

class Demonstration {
 public:
  explicit Demonstration(const std::string& scratch)
      : workfile_(scratch + "/hello.c"),
        fetched_(scratch + "/hello-1.0.c"),
        labelled_(scratch + "/hello-release.c") {
    const tEnvVar settings;
    settings.CopyToStruct(&env_);
    const std::string none = MessageText(msg::kWordNone.number);
    if (env_.userName.empty() || env_.userName == none) env_.userName = "demo";
    env_.accessList = env_.userName;
    env_.logfileDirectory = scratch;
    env_.tempDirectory = scratch + "/";
    env_.attributes = kAttrCheckLock | kAttrCompression;  // no journal, nothing protected
  }

  int Run() {
    Step("add hello.c: its logfile is created with revision 1.0");
    if (!Write(kFirst) || CheckIn("A small program that greets.") != "1.0") return 1;
    Step("check it out (get with a lock), change it and check it in");
    if (Get({Option(msg::kOptionLock), Option(msg::kWordYes)}, workfile_) != 1) return 1;
    if (!Write(kSecond) || CheckIn("Greets whoever is named.") != "1.1") return 1;
    Step("lock revision 1.0 and check a change to it in: a branch");
    if (Lock("1.0") != 1 || !Write(kBranch) || CheckIn("In French.") != "1.0.1.1") return 1;
    Step("fetch revision 1.0 into hello-1.0.c");
    if (Get({Option(msg::kOptionRevision), "1.0"}, fetched_) != 1) return 1;
    std::fputs(Read(fetched_).c_str(), stdout);
    Step("label revision 1.1 'release 1' and fetch it by its label into hello-release.c");
    if (Label({Option(msg::kOptionRevision), "1.1", Option(msg::kOptionLabel), "'release", "1'"}) !=
        1) {
      return 1;
    }
    if (Get({Option(msg::kOptionLabel), "'release", "1'"}, labelled_) != 1) return 1;
    std::fputs(Read(labelled_).c_str(), stdout);
    Step("history");
    if (ShowHistory() != 1) return 1;
    return ReadsBack() ? 0 : 1;
  }

 private:
  static void Step(const char* what) { std::printf("\n== %s\n", what); }

  bool Write(const std::string& text) const {
    std::error_code ignored;
    std::filesystem::permissions(workfile_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
    std::optional<platform::File> file =
        platform::File::Open(workfile_, platform::OpenMode::kWriteTruncate);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return file && file->WriteAll({bytes, text.size()}) && file->Close();
  }

  static std::string Read(const std::string& path) {
    std::optional<platform::File> file = platform::File::Open(path, platform::OpenMode::kRead);
    const std::optional<std::int64_t> size = file ? file->Size() : std::nullopt;
    std::string text(size ? static_cast<std::size_t>(*size) : 0, '\0');
    if (file && !file->ReadExact({reinterpret_cast<std::uint8_t*>(text.data()), text.size()})) {
      return {};
    }
    return text;
  }

  // The number the new revision got, or "" when the check-in failed.
  std::string CheckIn(const std::string& description) {
    const std::vector<std::string> line{"tput",      Option(msg::kOptionText),
                                        description, Option(msg::kOptionWorkfile),
                                        workfile_,   "hello.c"};
    CheckInRecord record;
    CheckInOutcome outcome;
    tarnEnvironVars env = env_;
    if (ParseCheckInCommandLine(line, record) != 1) return {};
    if (RunCheckIn(record, env, outcome) != 1 || !outcome.stored) return {};
    texts_[FormatRevision(outcome.number)] = Read(workfile_);
    return FormatRevision(outcome.number);
  }

  int Get(std::vector<std::string> options, const std::string& out) {
    std::vector<std::string> line{"tget"};
    line.insert(line.end(), options.begin(), options.end());
    line.insert(line.end(), {Option(msg::kOptionOutput), out, "hello.c"});
    GetCommandArgs args;
    tarnEnvironVars env = env_;
    return ParseGetCommandLine(line, args) == 1 ? RunGetCommand(args, env) : -1;
  }

  int Lock(const std::string& revision) {
    const std::vector<std::string> line{"tlock", Option(msg::kOptionRevision), revision, "hello.c"};
    LockCommandArgs args;
    tarnEnvironVars env = env_;
    return ParseLockCommandLine(line, args) == 1 ? LockRevision(args, env) : -1;
  }

  int Label(std::vector<std::string> options) {
    std::vector<std::string> line{"tstamp"};
    line.insert(line.end(), options.begin(), options.end());
    line.push_back("hello.c");
    LabelCommandArgs args;
    tarnEnvironVars env = env_;
    return ParseLabelCommandLine(line, args) == 1 ? LabelRevision(args, env) : -1;
  }

  // Every revision in file order: number, check-in time, author, description;
  // then the labels.
  int ShowHistory() {
    const std::optional<std::string> logfile =
        LogfileNameFromWorkfile("hello.c", env_.logfileDirectory);
    std::optional<platform::File> file =
        logfile ? platform::File::Open(*logfile, platform::OpenMode::kRead) : std::nullopt;
    LogfileHeader header;
    if (!file || ReadLogfileHeader(*file, header) != 1) return -1;
    const std::optional<std::int64_t> first = file->Tell();
    RevisionScanner scanner(*file, first.value_or(0));
    RevisionRecord record;
    std::printf("%s: %s\n", logfile->c_str(), header.description.c_str());
    while (scanner.Next(record) == RevisionScanner::Step::kRecord) {
      std::string description;
      if (ReadRevisionDescription(*file, record, description) != 1) break;
      std::printf("  %-9s %s  %-8s %s\n", FormatRevision(record.number).c_str(),
                  LocalDateText(record.header.FilePutDate).c_str(),
                  UserName(header.modifierList, record.header.CreatorIndex).c_str(),
                  description.c_str());
    }
    for (const LabelRecord& label : header.labels) {
      std::printf("  label %s\n", FormatLabel(label).c_str());
    }
    ReleaseLogfileHeader(header);
    return 1;
  }

  bool ReadsBack() {
    bool all = Read(fetched_) == kFirst && Read(labelled_) == texts_["1.1"];
    for (const auto& [number, text] : texts_) {
      all = Get({Option(msg::kOptionQuiet), Option(msg::kOptionRevision), number,
                 Option(msg::kWordYes)},
                fetched_) == 1 &&
            Read(fetched_) == text && all;
    }
    std::printf("\n%s\n", all ? "every revision reads back as it was checked in"
                              : "a revision did NOT read back as it was checked in");
    return all;
  }

  tarnEnvironVars env_;
  std::string workfile_;
  std::string fetched_;
  std::string labelled_;
  std::map<std::string, std::string> texts_;
};

}  // namespace
}  // namespace tarn

int main() {
  using namespace tarn;
  if (LoadMessageFile(kProgram, kCatalogueFileName, platform::ProgramDirectory()) != 1) return 1;
  MemInit();
  int status = 1;
  {
    ConsoleHost host;
    Host* previous = SetHost(&host);
    const ScopedProgramLabel label(kProgram);
    const ScratchDirectory scratch;
    if (!scratch.path().empty()) status = Demonstration(scratch.path()).Run();
    SetHost(previous);
  }
  MemTerm();  // every engine block is back: the leak check stops otherwise
  FreeMessages();
  return status;
}
