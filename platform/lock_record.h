// What a lock file says about the command that holds it, and its bytes.
//
// A lock file is a small text file, written whole before it gets its name
// (lock_file.cpp), in lines of a keyword, one space and a value:
//
//   TARN lock file 1            the format and its version
//   host <name>                 the machine's host name
//   boot <id>                   the machine's boot id (changes at every boot)
//   pidns <id>                  the process-number space the holder runs in
//   pid <decimal>               the holder's process id
//   start <decimal>             the holder's start time, clock ticks after boot
//   user <escaped>              the user the command works for
//   time <decimal>              when the lock was made, seconds since 1970 UTC
//   token <32 hexadecimal>      a random number that no other lock carries
//   end
//
// every line ended by a line feed, then blanks and a last line feed that
// fill the file up to a multiple of kLockFileBlock bytes. Every lock file
// thus has the same size (unless its user name is very long): a network
// client that keeps file sizes cached (sshfs does, for seconds) still reads
// a lock file of another machine whole. Host, boot and pidns values are words
// without blanks or control characters; the user name is escaped as
// ShowSafely does. The "end" line tells a whole file from one cut short. A
// reader accepts exactly this; anything else (an empty file, an older or
// newer format, a file cut short, garbage) is no lock this version
// understands, and such a file is never judged stale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform {

struct LockRecord {
  std::string host;
  std::string bootId;
  std::string pidNamespace;
  std::int64_t pid = 0;
  std::uint64_t startTicks = 0;
  std::string user;
  std::int64_t time = 0;
  std::string token;

  bool operator==(const LockRecord&) const = default;
};

// The longest lock file a reader looks at; a valid one is far shorter.
inline constexpr std::size_t kLockFileReadLimit = 4096;
// Lock files are padded to a multiple of this size.
inline constexpr std::size_t kLockFileBlock = 256;

std::string EncodeLockRecord(const LockRecord& record);
// Nothing unless `bytes` is exactly one record in the format above.
std::optional<LockRecord> DecodeLockRecord(std::string_view bytes);

// `bytes` printable: printable ASCII other than the backslash stays, every
// other byte becomes \xNN (a line feed \n). At most `limit` bytes are shown,
// then "...".
std::string ShowSafely(std::string_view bytes, std::size_t limit = 200);

// Private files beside a lock file (one being written before it is linked
// into place, one being cleared) are named
//   $lock.<host>.<machine tag>.<pid>.<start>.<random>
// where the machine tag is 8 hexadecimal digits standing for the boot id
// and process-number space: a file left by a process that was killed can
// be told, and removed, by any later command of the same machine.
struct PrivateNameOwner {
  std::string host;
  std::string machineTag;
  std::int64_t pid = 0;
  std::uint64_t startTicks = 0;
};
inline constexpr std::string_view kPrivateLockPrefix = "$lock.";
std::string MachineTag(const LockRecord& self);
// The private name beside the lock file `path` for the process `self`.
std::string PrivateLockName(const std::string& path, const LockRecord& self,
                            std::string_view random);
// Who made the private file `name` (a final component); nothing when it is
// not such a name.
std::optional<PrivateNameOwner> OwnerOfPrivateName(std::string_view name);
// True when `owner` is a process of the machine (and boot, and process-number
// space) that `self` runs on.
bool OfThisMachine(const PrivateNameOwner& owner, const LockRecord& self);

// A word fit for the host, boot and pidns fields: characters outside
// printable ASCII, and blanks, become '_'; an empty one becomes "-".
std::string LockWord(std::string_view text);

}  // namespace tarn::platform
