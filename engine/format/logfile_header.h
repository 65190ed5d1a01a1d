// The logfile header in memory: the 30-byte fixed header, the stored default
// revision, the six header strings and the label records.
//
// A reader fills the whole record from a logfile; commands change it in
// memory and write it back as a whole. The strings are held without their
// terminating NUL; the size fields count it and are kept in step by the
// writer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/revision_desc.h"

namespace tarn {

inline constexpr std::int16_t kLogfileFormat = 6;
inline constexpr std::size_t kFixedHeaderSize = 30;
inline constexpr std::size_t kSupplementalInfoSize = 516;

// Attribute bits of the header's attribute word.
enum LogfileAttribute : std::uint16_t {
  kAttrCheckLock = 0x01,
  kAttrDeleteWork = 0x02,
  kAttrExpandKeywords = 0x04,
  kAttrProtectLogFile = 0x08,
  kAttrProtectWorkFile = 0x10,
  kAttrBinaryFile = 0x20,
  kAttrJournalFile = 0x40,
  kAttrCompression = 0x80,
};

// The attribute bits together. In the settings word only these low eight
// bits are logfile attributes; the high byte holds settings of the front end.
inline constexpr std::uint16_t kLogfileAttributeBits = 0x00FF;

// The settings word `settings` with its logfile attributes replaced by
// `attributes`; its high byte stays.
constexpr std::uint16_t WithLogfileAttributes(std::uint16_t settings, std::uint16_t attributes) {
  return static_cast<std::uint16_t>((settings & ~kLogfileAttributeBits) |
                                    (attributes & kLogfileAttributeBits));
}

// tLogFileHdr: the fixed header exactly as stored (offsets in the comments).
struct tLogFileHdr {
  std::int16_t _iFormat = kLogfileFormat;   // 0
  std::int16_t _iMajorNumber = 1;           // 2
  std::int16_t _iMinorNumber = -1;          // 4
  std::uint16_t _iAttributes = 0;           // 6
  std::int16_t _iVersionCount = 0;          // 8
  std::int16_t _iRevisionCount = 0;         // 10
  std::int16_t _iDefaultRevCount = 0;       // 12
  std::int16_t _iLockCount = 0;             // 14
  std::int16_t _iAccessSize = 0;            // 16
  std::int16_t _iModifierSize = 0;          // 18
  std::int16_t _iCommentSize = 0;           // 20
  std::int16_t _iOwnerSize = 0;             // 22
  std::int16_t _iDescSize = 0;              // 24
  std::int16_t _iSupplementalInfoSize = 0;  // 26
  std::uint16_t _iChecksum = 0;             // 28

  bool operator==(const tLogFileHdr&) const = default;
};

// One label record (tVersionInfo with its elements and text).
struct LabelRecord {
  std::int16_t iRevisionCount = 0;  // elements in use, 1..20
  std::int16_t iCreator = -1;       // modifier-list index
  std::int16_t iVersionSize = 0;    // text size with its NUL
  struct Element {
    std::int16_t major = 0;
    std::int16_t minor = 0;  // -1 in the last element: a floating label
    bool operator==(const Element&) const = default;
  };
  std::array<Element, kMaxRevisionElements> elements{};
  std::string text;  // without the NUL

  bool operator==(const LabelRecord&) const = default;
};

struct LogfileHeader {
  tLogFileHdr fixed;
  std::optional<tarnCommandRevDesc> defaultRevision;  // present when _iDefaultRevCount > 0
  std::string accessList;
  std::string modifierList;
  std::string commentPrefix;
  std::string owner;
  std::string description;
  // The supplemental info as stored, all its bytes (516 once the engine has
  // written it; other sizes are kept as read until the next update).
  std::vector<std::uint8_t> supplementalInfo;
  std::vector<LabelRecord> labels;  // newest first, as stored

  bool operator==(const LogfileHeader&) const = default;

  // The logfile is to be kept read-only (its ProtectLogFile attribute).
  bool AsksProtection() const { return (fixed._iAttributes & kAttrProtectLogFile) != 0; }
};

}  // namespace tarn
