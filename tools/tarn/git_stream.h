// Writing a git fast-import stream: blobs, commits, resets, each with the
// exact byte counts the format asks for, to a C stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace tarn::cli {

// A path as the stream takes it: quoted C-style when it starts with a
// double quote or holds a line end or a backslash.
std::string StreamPath(std::string_view path);

// A ref name git accepts, made from a label or a path: characters git
// refuses become '_', as do a component's leading '.', "..", a trailing
// ".lock" or '.', and an empty component.
std::string SafeRefName(std::string_view name);

struct Signature {
  std::string ident;  // "Full Name <email>"
  std::int64_t when = 0;  // seconds since 1970 UTC
};

class GitStream {
 public:
  explicit GitStream(std::FILE* out) : out_(out) {}

  // Asks for the closing "done", so that a cut stream fails in git.
  void Begin();
  void Blob(std::uint64_t mark, std::span<const std::uint8_t> bytes);
  // Opens a commit on `ref`; `from` 0: after the ref's last commit (or
  // none for a new ref).
  void Commit(std::string_view ref, std::uint64_t mark, const Signature& author,
              std::string_view message, std::uint64_t from);
  void DeleteAll();
  void Modify(std::string_view path, std::uint64_t blob);
  void Delete(std::string_view path);
  void EndCommit();
  // Points `ref` at the commit `mark`.
  void Reset(std::string_view ref, std::uint64_t mark);
  void Done();

  // False once a write failed (a closed pipe, a full disk).
  bool Good() const { return good_; }

 private:
  void Put(std::string_view text);
  void Data(std::span<const std::uint8_t> bytes);

  std::FILE* out_;
  bool good_ = true;
};

}  // namespace tarn::cli
