#include "engine/revisions/labels.h"

#include <algorithm>

#include "engine/format/revision_number.h"

namespace tarn {

namespace {

constexpr std::string_view kLabelSeparator = " -- ";

// A label record read from a file always has 1..20 elements (the reader
// refuses others); records built in memory are held to the same bounds here
// so that no element array is ever read past its end.
int ElementCount(const LabelRecord& label) {
  return std::clamp<int>(label.iRevisionCount, 0, kMaxRevisionElements);
}

}  // namespace

const LabelRecord* FindLabel(const LogfileHeader& header, std::string_view text) {
  const auto found = std::find_if(header.labels.begin(), header.labels.end(),
                                  [text](const LabelRecord& label) { return label.text == text; });
  return found == header.labels.end() ? nullptr : &*found;
}

tarnCommandRevDesc LabelToRequest(const LabelRecord& label) {
  tarnCommandRevDesc request;
  const int count = ElementCount(label);
  request.iElementCount = static_cast<std::int16_t>(count);
  for (int k = 0; k < count; ++k) {
    const LabelRecord::Element& element = label.elements[static_cast<std::size_t>(k)];
    request.elements[static_cast<std::size_t>(k)] = {kMatchExact, element.major, kMatchExact,
                                                     element.minor};
  }
  if (count > 0) {
    RevElement& last = request.elements[static_cast<std::size_t>(count - 1)];
    if (last.iMinor == -1) last.iMinorFlag = kMatchNewest;
  }
  return request;
}

const LabelRecord* LabelOfRevision(const LogfileHeader& header, const tarnCommandRevDesc& number,
                                   const tRevHdr& revision) {
  const int count = number.iElementCount;
  if (count < 1 || count > kMaxRevisionElements) return nullptr;
  const auto names = [&](const LabelRecord& label) {
    if (label.iRevisionCount != count) return false;
    for (int k = 0; k + 1 < count; ++k) {
      const LabelRecord::Element& mine = label.elements[static_cast<std::size_t>(k)];
      const RevElement& theirs = number.elements[static_cast<std::size_t>(k)];
      if (mine.major != theirs.iMajor || mine.minor != theirs.iMinor) return false;
    }
    const LabelRecord::Element& last = label.elements[static_cast<std::size_t>(count - 1)];
    const RevElement& wanted = number.elements[static_cast<std::size_t>(count - 1)];
    if (last.major != wanted.iMajor) return false;
    return last.minor == wanted.iMinor || (last.minor == -1 && revision._cTip == 1);
  };
  const auto found = std::find_if(header.labels.begin(), header.labels.end(), names);
  return found == header.labels.end() ? nullptr : &*found;
}

std::string FormatLabel(const LabelRecord& label) {
  tarnCommandRevDesc number;
  const int count = ElementCount(label);
  for (int k = 0; k < count; ++k) {
    const LabelRecord::Element& element = label.elements[static_cast<std::size_t>(k)];
    AddRevisionElement(number, element.major, element.minor, k);
  }
  return FormatRevision(number) + std::string(kLabelSeparator) + label.text;
}

std::string_view LabelTextOf(std::string_view formattedLabel) {
  const std::size_t separator = formattedLabel.find(kLabelSeparator);
  if (separator == std::string_view::npos) return formattedLabel;
  return formattedLabel.substr(separator + kLabelSeparator.size());
}

}  // namespace tarn
