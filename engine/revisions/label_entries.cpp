#include "engine/revisions/label_entries.h"

#include <algorithm>
#include <string>

#include "engine/format/revision_number.h"

namespace tarn {

namespace {

int ElementCount(const LabelRecord& label) {
  return std::clamp<int>(label.iRevisionCount, 0, kMaxRevisionElements);
}

}  // namespace

bool IsBranchRequest(const tarnCommandRevDesc& request) {
  const int count = request.iElementCount;
  if (count < 1 || count > kMaxRevisionElements) return false;
  const RevElement& last = request.elements[static_cast<std::size_t>(count - 1)];
  return last.iMajorFlag == kMatchExact && last.iMinorFlag == kMatchNewest;
}

bool IsFloating(const LabelRecord& label) {
  const int count = ElementCount(label);
  return count > 0 && label.elements[static_cast<std::size_t>(count - 1)].minor == -1;
}

LabelRecord MakeLabelEntry(const tarnCommandRevDesc& number, bool floating, std::int16_t creator,
                           std::string_view text) {
  LabelRecord entry;
  const int count = std::clamp<int>(number.iElementCount, 0, kMaxRevisionElements);
  entry.iRevisionCount = static_cast<std::int16_t>(count);
  entry.iCreator = creator;
  for (int k = 0; k < count; ++k) {
    const RevElement& element = number.elements[static_cast<std::size_t>(k)];
    entry.elements[static_cast<std::size_t>(k)] = {element.iMajor, element.iMinor};
  }
  if (floating && count > 0) entry.elements[static_cast<std::size_t>(count - 1)].minor = -1;
  entry.text = std::string(text);
  entry.iVersionSize = static_cast<std::int16_t>(std::min<std::size_t>(text.size() + 1, 32767));
  return entry;
}

bool RemoveLabelEntry(LogfileHeader& header, std::string_view text) {
  const auto found = std::find_if(header.labels.begin(), header.labels.end(),
                                  [text](const LabelRecord& label) { return label.text == text; });
  if (found == header.labels.end()) return false;
  header.labels.erase(found);
  return true;
}

tarnCommandRevDesc LabelNumber(const LabelRecord& label) {
  tarnCommandRevDesc number;
  const int count = ElementCount(label);
  for (int k = 0; k < count; ++k) {
    const LabelRecord::Element& element = label.elements[static_cast<std::size_t>(k)];
    AddRevisionElement(number, element.major, element.minor, k);
  }
  return number;
}

}  // namespace tarn
