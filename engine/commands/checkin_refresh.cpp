#include "engine/commands/checkin_refresh.h"

#include "engine/commands/get_command.h"
#include "engine/store/temporary_files.h"
#include "engine/store/workfile_replace.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/text/keyword_expansion.h"
#include "platform/file_system.h"

namespace tarn {

namespace {

std::string UpperYesWord() {
  std::string yes = MessageText(msg::kWordYes.number);
  for (char& c : yes) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return yes;
}

}  // namespace

int RefreshWorkfileAfterCheckIn(const std::string& givenName, const std::string& workfile,
                                const tarnCommandRevDesc& revision, bool protectLogfile,
                                bool binaryFile, const tarnEnvironVars& env) {
  const std::optional<std::string> temporary = MakeTemporaryFile(env);
  if (!temporary) {
    Report(kAlert, msg::kTempNameFailed);
    return -1;
  }
  ScopedTemporaryFile fetched(*temporary);

  GetCommandArgs get;
  get.revision = revision;
  get.quiet = true;
  get.workfile = *temporary;
  get.fileName = givenName;
  get.timestamp = WorkfileTimestamp::kCheckInTime;
  // The temporary file exists (empty and writable): replace it unasked.
  get.writableAnswer = UpperYesWord();
  // Every attribute is overridden, so that the logfile's own CheckLock or
  // ProtectWorkFile cannot make the fetched copy read-only or locked.
  get.attributes.mask = kLogfileAttributeBits;
  get.attributes.values = kAttrExpandKeywords;
  if (protectLogfile) get.attributes.values |= kAttrProtectLogFile;
  // A binary workfile's keywords are fixed-width fields: expanded as text
  // they would grow the file, and the next check-in would store the growth.
  if (binaryFile) get.attributes.values |= kAttrBinaryFile;

  tarnEnvironVars getEnv = env;
  {
    ScopedWorkfileDisplayName display(workfile);
    if (RunGetCommand(get, getEnv) != 1) return -1;
  }
  WorkfileFinish finish;
  finish.timestamp = platform::ModificationTime(*temporary).value_or(0);
  return ReplaceWorkfile(*temporary, workfile, finish);
}

}  // namespace tarn
