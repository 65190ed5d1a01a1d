#include "engine/revisions/lock_rules.h"

#include <array>
#include <optional>

#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_scan.h"
#include "engine/support/identity_note.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Puts the stream back where it was when it goes out of scope.
class PositionKeeper {
 public:
  explicit PositionKeeper(platform::File& stream) : stream_(stream), position_(stream.Tell()) {}
  ~PositionKeeper() {
    if (position_) stream_.Seek(*position_);
  }
  PositionKeeper(const PositionKeeper&) = delete;
  PositionKeeper& operator=(const PositionKeeper&) = delete;

 private:
  platform::File& stream_;
  std::optional<std::int64_t> position_;
};

// Looks through every revision record for a lock held by `user_index`.
// 1 none found; -1 one found (177 reported, naming it) or a read fault.
int CheckNoOtherLock(platform::File& stream, std::int64_t first_record_offset, int user_index) {
  RevisionRecord held;
  const Lookup lookup = FindRecordWhere(
      stream, first_record_offset,
      [&](const RevisionRecord& record) {
        return record.header._iLocked != 0 && record.header.LockerIndex == user_index;
      },
      held);
  if (lookup == Lookup::kNotFound) return 1;
  if (lookup == Lookup::kFound) Report(kAlert, msg::kUserHoldsLock, FormatRevision(held.number));
  return -1;
}

}  // namespace

int CheckLockRules(platform::File& stream, std::int64_t first_record_offset,
                   std::string_view file_name, const LogfileHeader& header,
                   const tarnEnvironVars& env, tRevHdr& revision) {
  const PositionKeeper keep_position(stream);
  if (revision._iLocked != 0) {
    const std::string holder = UserName(header.modifierList, revision.LockerIndex);
    Report(kAlert, msg::kAlreadyLocked, file_name, std::string_view(holder));
    if (UserIndex(env.userName, header.modifierList) != revision.LockerIndex) {
      ReportIdentityNote(env);
      ReportLockHolderCure(holder, file_name);
    }
    return -1;
  }
  if (UserIndex(env.userName, header.accessList) < 0) {
    Report(kAlert, msg::kLockNotInAccessList, file_name);
    ReportIdentityNote(env);
    ReportAccessListCure(header, file_name);
    return -1;
  }
  const int user_index = UserIndex(env.userName, header.modifierList);
  if (user_index < 0) {
    Report(kAlert, msg::kUserNotInModifierList);
    ReportIdentityNote(env);
    return -1;
  }
  if (CheckNoOtherLock(stream, first_record_offset, user_index) != 1) return -1;
  revision._iLocked = 1;
  revision.LockerIndex = static_cast<std::int16_t>(user_index);
  return 1;
}

int ReadRevisionHeaderAt(platform::File& stream, std::int64_t offset, tRevHdr& revision) {
  std::array<std::uint8_t, kRevisionHeaderSize> bytes{};
  if (!stream.Seek(offset) || !stream.ReadExact(bytes)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  revision = DecodeRevisionHeader(bytes);
  return 1;
}

void ReportAccessListCure(const LogfileHeader& header, std::string_view file_name) {
  if (header.owner.empty()) return;
  Report(kAlert, msg::kCureAccessList, std::string_view(header.owner), file_name);
}

void ReportLockHolderCure(std::string_view holder, std::string_view file_name) {
  Report(kAlert, msg::kCureLockHeld, holder, file_name, file_name);
}

}  // namespace tarn
