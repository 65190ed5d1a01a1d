// The calls the lock protocol (lock_file.h) makes, behind one interface, so
// that tests can run the protocol against a file system of their own: one
// where two "machines" share names but nothing else, where a hard link is a
// different file, where a name's content can be changed under a holder.
//
// The protocol asks only for what a network file system gives every client
// alike: a name that appears with its whole content or not at all, reading a
// file through its name, renaming, linking, unlinking. It never asks for
// advisory locks or inode numbers, which many network file systems keep per
// client.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/lock_record.h"

namespace tarn::platform {

// Whether a process still runs.
enum class ProcessState {
  kRunning,  // the process id runs, and started when the lock says
  kGone,     // no such process, or one started at another time (a reused id)
  kUnknown,  // cannot be told here
};

// How Publish made the name appear.
enum class PublishWay {
  kLinkedUnnamed,     // a whole file without a name linked into place
  kLinkedNamed,       // a whole file under a private name linked into place
  kCreatedInPlace,    // created exclusively under the name, then written
};

class LockFileSystem {
 public:
  virtual ~LockFileSystem() = default;

  // Gives the file name `path` the content `bytes`, failing when the name
  // is taken: 0, or the errno of the failure (EEXIST when taken; ENOTSUP
  // when this file system offers no exclusive way to make a name at all).
  // Where it can, the name appears with its whole content at once, written
  // first under `privateName` when a name is needed; `way` says how it was
  // done.
  virtual int Publish(const std::string& path, std::string_view bytes,
                      const std::string& privateName, PublishWay& way) = 0;
  // The names (final components) in `directory` that start with
  // kPrivateLockPrefix.
  virtual std::vector<std::string> PrivateNamesIn(const std::string& directory) = 0;
  // Up to kLockFileReadLimit + 1 bytes of the regular file `path`, read
  // through its name without following a symbolic link at it; nothing with
  // `error` set (ENOENT when there is no such file).
  virtual std::optional<std::string> Read(const std::string& path, int& error) = 0;
  // 0 or the errno.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Link(const std::string& existing, const std::string& link) = 0;
  virtual int Unlink(const std::string& path) = 0;

  // This machine and process as a lock file names them (host, boot id,
  // pid namespace, pid, start time; no user, time or token).
  virtual LockRecord Self() = 0;
  // When this machine last booted, seconds since 1970 UTC (0 when unknown).
  virtual std::int64_t BootTime() = 0;
  // Whether process `pid`, started `startTicks` after boot, still runs on
  // this machine.
  virtual ProcessState Process(std::int64_t pid, std::uint64_t startTicks) = 0;
  // 32 lower-case hexadecimal digits from the system's random numbers.
  virtual std::string NewToken() = 0;
  virtual std::int64_t Now() = 0;
};

// Which ways of making a lock file appear the system's file system tries.
enum class PublishRoute {
  kBest,         // a file without a name, else a named one, else in place
  kNamedLink,    // a named private file linked into place (as over NFS)
  kInPlace,      // exclusive creation, then the content (no hard links)
};

// The system's own file system and process table.
LockFileSystem& SystemLockFileSystem(PublishRoute route = PublishRoute::kBest);

}  // namespace tarn::platform
