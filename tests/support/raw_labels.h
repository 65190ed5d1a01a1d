// The tests' own reader of the parts of a logfile header that the label and
// modify-header commands change: the stored default revision and the label
// records, taken apart byte by byte from the layout tables, independently of
// the engine's decoders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::testing {

struct RawLabel {
  std::int16_t creator = 0;
  std::string number;  // "1.2", or "1.1.1" for a label floating on branch 1.1.1
  std::string text;    // without its NUL
};

struct RawDefaultElement {
  std::int16_t majorFlag = 0, major = 0, minorFlag = 0, minor = 0;
};

struct RawHeaderLabels {
  std::vector<RawDefaultElement> defaultRevision;  // empty: none stored
  std::vector<RawLabel> labels;                    // in file order, newest first
  std::size_t headerSize = 0;                      // where the revision records start
};

// None when the header is cut short or a label record is damaged.
std::optional<RawHeaderLabels> ReadRawHeaderLabels(const std::vector<std::uint8_t>& bytes);
std::optional<RawHeaderLabels> ReadRawHeaderLabels(const std::string& path);

// "1.2 NAME/creator, 1.1.1 OTHER/creator": the labels in file order, for
// comparisons that show the whole list when they fail.
std::string LabelList(const RawHeaderLabels& header);

}  // namespace tarn::testing
