#include "engine/commands/logfile_create.h"

#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/text/comment_prefix.h"
#include "engine/text/description_reader.h"
#include "engine/text/description_text.h"

namespace tarn {

namespace {

std::optional<std::string> ModuleDescription(const CheckInRecord& record) {
  if (record.description) return NormaliseDescription(*record.description);
  Report(kStatus, msg::kEnterModuleDescription, record.givenName);
  std::optional<std::string> typed = ReadDescriptionFromConsole();
  if (!typed) {
    Report(kAlert, msg::kDescriptionAbandoned, record.givenName);
    return std::nullopt;
  }
  Report(kStatus, msg::kModuleDescriptionTaken, record.givenName);
  return typed;
}

}  // namespace

std::uint16_t NewLogfileAttributes(const CheckInRecord& record, const tarnEnvironVars& env) {
  const auto defaults = static_cast<std::uint16_t>(env.attributes & kLogfileAttributeBits);
  return static_cast<std::uint16_t>(record.attributes.ApplyTo(defaults) & kLogfileAttributeBits);
}

int BuildDefaultHeader(const CheckInRecord& record, tarnEnvironVars& env, LogfileHeader& header) {
  Report(kStatus, msg::kCreatingLogfile, record.givenName);
  header = LogfileHeader{};
  header.fixed._iFormat = kLogfileFormat;
  header.fixed._iMajorNumber = 1;
  header.fixed._iMinorNumber = -1;

  if (env.accessList.empty()) {
    Report(kAlert, msg::kAccessListEmpty, record.givenName);
    return -1;
  }
  header.accessList = env.accessList;
  header.modifierList = env.accessList;
  header.commentPrefix =
      ChooseCommentPrefix(CommentPrefixList(env.commentPrefix), record.givenName);
  if (env.userName.empty()) {
    Report(kAlert, msg::kUserNameEmpty, record.givenName);
    return -1;
  }
  header.owner = env.userName;
  std::optional<std::string> description = ModuleDescription(record);
  if (!description) return -1;
  header.description = std::move(*description);
  header.supplementalInfo.assign(kSupplementalInfoSize, 0);

  const std::uint16_t attributes = NewLogfileAttributes(record, env);
  header.fixed._iAttributes = attributes;
  env.attributes = WithLogfileAttributes(env.attributes, attributes);
  header.fixed._iLockCount = (attributes & kAttrCheckLock) != 0 ? 1 : 0;
  return 1;
}

}  // namespace tarn
