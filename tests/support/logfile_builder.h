// The tests' own logfile writer.
//
// Builds whole logfiles byte by byte from the layout tables, independently
// of the engine's encoders, so that tests can check the engine against files
// it did not write: a header with its strings, labels and default revision,
// then revision records (32-byte head, description, stored data exactly as
// given: a full text, a delta written by hand, a compressed block).
//
//   LogfileBuilder b;
//   b.Access("alice,bob").Modifiers("alice,bob").Owner("alice");
//   b.AddRevision({.major = 1, .minor = 1, .tip = 1, .description = "second",
//                  .data = "whole text of 1.1\n"});
//   b.AddRevision({.major = 1, .minor = 0, .description = "first", .data = delta_by_hand});
//   b.AddLabel({{1, 1}}, "REL1", 0);
//   b.WriteTo(dir.File("main.d"));
//
// Counts, sizes and the checksum follow from what was added unless a test
// sets them on purpose (Patch) to build a damaged file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarn::testing {

// One revision record. Fields in layout order; the description is stored
// with a NUL after it, the data exactly as given.
struct BuiltRevision {
  std::int16_t major = 1;
  std::int16_t minor = 0;
  std::int16_t locked = 0;
  std::int16_t branchCount = 0;
  std::int16_t depth = 0;
  std::uint8_t tip = 0;
  std::uint8_t compressed = 0;
  std::uint16_t reserved = 0;
  std::uint32_t putDate = 0;
  std::uint32_t editDate = 0;
  std::int16_t lockerIndex = 0;
  std::int16_t creatorIndex = 0;
  std::string description{};
  std::string data{};
  // Set to store a RevSize or description size that disagrees with the bytes.
  std::optional<std::uint32_t> revSize{};
  std::optional<std::int16_t> descSize{};
};

// A (major, minor) pair of a revision number, depth 0 first.
using RevisionElement = std::pair<std::int16_t, std::int16_t>;

// The fixed-header word offsets, for Patch.
enum FixedHeaderOffset : std::size_t {
  kAtFormat = 0,
  kAtMajorNumber = 2,
  kAtMinorNumber = 4,
  kAtAttributes = 6,
  kAtVersionCount = 8,
  kAtRevisionCount = 10,
  kAtDefaultRevCount = 12,
  kAtLockCount = 14,
  kAtAccessSize = 16,
  kAtModifierSize = 18,
  kAtCommentSize = 20,
  kAtOwnerSize = 22,
  kAtDescSize = 24,
  kAtSupplementalInfoSize = 26,
  kAtChecksum = 28,
};

class LogfileBuilder {
 public:
  // A valid header of a logfile without revisions: format 6, trunk 1.-1,
  // no attributes, owner and lists "alice", comment prefix "# ", empty
  // description, a zeroed 516-byte supplemental info.
  LogfileBuilder();

  // Trunk numbers of the fixed header. Unless set, they are those of the
  // first depth-0 revision added, or 1 and -1 without one.
  LogfileBuilder& Trunk(std::int16_t major, std::int16_t minor);
  LogfileBuilder& Attributes(std::uint16_t attributes);
  // Unless set: the number of revisions added with `locked` nonzero.
  LogfileBuilder& LockCount(std::int16_t count);

  // Header texts, stored with a NUL after them.
  LogfileBuilder& Access(std::string names);
  LogfileBuilder& Modifiers(std::string names);
  LogfileBuilder& CommentPrefix(std::string prefix);
  LogfileBuilder& Owner(std::string owner);
  LogfileBuilder& Description(std::string description);
  // Sets access and modifier list together.
  LogfileBuilder& Users(const std::string& names);

  // The supplemental info exactly as given (any size).
  LogfileBuilder& SupplementalInfo(std::vector<std::uint8_t> bytes);
  // The 516-byte form: path, NUL, "index~time~size", NULs.
  LogfileBuilder& SupplementalInfo(const std::string& workfilePath, int modifierIndex,
                                   std::uint32_t updateTime, std::uint64_t workfileSize);

  // A stored default revision with exact-match elements (16 + 8n bytes).
  LogfileBuilder& DefaultRevision(const std::vector<RevisionElement>& elements);
  // The same with explicit flags per element: {major flag, major, minor flag, minor}.
  LogfileBuilder& DefaultRevisionWithFlags(
      const std::vector<std::array<std::int16_t, 4>>& elements);

  // Labels in file order: the first one added is the newest. A minor of -1
  // in the last element makes the label float.
  LogfileBuilder& AddLabel(const std::vector<RevisionElement>& revision, const std::string& text,
                           std::int16_t creator);

  // Revision records in file order.
  LogfileBuilder& AddRevision(const BuiltRevision& revision);

  // Overwrites the 16-bit word at `offset` of the fixed header after
  // everything else is computed. The checksum is computed over the patched
  // words unless the checksum itself is patched.
  LogfileBuilder& Patch(std::size_t offset, std::uint16_t value);

  std::vector<std::uint8_t> HeaderBytes() const;
  std::vector<std::uint8_t> Bytes() const;
  // Offset of each revision record's 32-byte head in Bytes().
  std::vector<std::size_t> RevisionOffsets() const;
  void WriteTo(const std::string& path) const;

  // The checksum rule, computed independently of the engine.
  static std::uint16_t Checksum(const std::vector<std::uint8_t>& fixedHeader);

 private:
  struct Label {
    std::vector<RevisionElement> revision;
    std::string text;
    std::int16_t creator;
  };

  std::vector<std::uint8_t> RevisionBytes(const BuiltRevision& revision) const;

  std::optional<std::pair<std::int16_t, std::int16_t>> trunk_;
  std::uint16_t attributes_ = 0;
  std::optional<std::int16_t> lockCount_;
  std::string access_ = "alice";
  std::string modifiers_ = "alice";
  std::string commentPrefix_ = "# ";
  std::string owner_ = "alice";
  std::string description_;
  std::vector<std::uint8_t> supplementalInfo_;
  std::optional<std::vector<std::array<std::int16_t, 4>>> defaultRevision_;
  std::vector<Label> labels_;
  std::vector<BuiltRevision> revisions_;
  std::vector<std::pair<std::size_t, std::uint16_t>> patches_;
};

}  // namespace tarn::testing
