// The tests' own logfile reader: takes a logfile apart byte by byte from the
// layout tables, independently of the engine's decoders, so that tests can
// check what the engine wrote.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::testing {

struct RawRevision {
  std::int16_t major = 0, minor = 0, locked = 0, branchCount = 0, depth = 0;
  std::uint8_t tip = 0, compressed = 0;
  std::uint16_t reserved = 0;
  std::uint32_t putDate = 0, editDate = 0, revSize = 0;
  std::int16_t lockerIndex = 0, creatorIndex = 0, descSize = 0;
  std::string description;         // without its NUL
  std::vector<std::uint8_t> data;  // as stored
  std::size_t offset = 0;
  std::string number;  // full number from the record order, e.g. "1.2.1.1"
};

struct RawLabel {
  std::int16_t creator = 0;
  std::string number;  // "1.2", or "1.1.1" for a label floating on branch 1.1.1
  std::string text;    // without its NUL
};

struct RawDefaultElement {
  std::int16_t majorFlag = 0, major = 0, minorFlag = 0, minor = 0;
};

struct RawLogfile {
  std::int16_t format = 0, majorNumber = 0, minorNumber = 0;
  std::uint16_t attributes = 0;
  std::int16_t versionCount = 0, revisionCount = 0, defaultRevCount = 0, lockCount = 0;
  std::uint16_t checksum = 0;
  bool checksumMatches = false;
  std::string accessList, modifierList, commentPrefix, owner, description;
  std::vector<std::uint8_t> supplementalInfo;
  std::vector<RawDefaultElement> defaultRevision;  // empty: none stored
  std::vector<RawLabel> labels;                    // in file order, newest first
  std::size_t headerSize = 0;  // where the first revision record starts
  std::vector<RawRevision> revisions;

  const RawRevision* Find(const std::string& number) const;
};

// Parses the whole file; none (with the reason in `error`) when it is not a
// well-formed logfile: sizes running past the end, a record cut short,
// trailing bytes.
std::optional<RawLogfile> ParseRawLogfile(const std::vector<std::uint8_t>& bytes,
                                          std::string* error = nullptr);
std::optional<RawLogfile> ReadRawLogfile(const std::string& path, std::string* error = nullptr);

// "1.2 NAME/creator, 1.1.1 OTHER/creator": the labels in file order, for
// comparisons that show the whole list when they fail.
std::string LabelList(const RawLogfile& log);

}  // namespace tarn::testing
