#include "objects/version_desc.h"

#include <algorithm>

#include "objects/revision_text.h"

namespace tarn {

namespace {

constexpr std::string_view kBetweenRevisionAndText = " -- ";

}  // namespace

tVersionDesc::tVersionDesc() = default;

tVersionDesc::tVersionDesc(const LabelRecord& label) : _CLabel(label) {}

tVersionDesc::tVersionDesc(const tVersionDesc& other) = default;

tVersionDesc& tVersionDesc::operator=(const tVersionDesc& other) = default;

tVersionDesc::~tVersionDesc() = default;

std::string tVersionDesc::Revision() const {
  RevisionText text;
  const int count = std::clamp<int>(_CLabel.iRevisionCount, 0, kMaxRevisionElements);
  for (int i = 0; i < count; ++i) {
    const LabelRecord::Element& element = _CLabel.elements[static_cast<std::size_t>(i)];
    text.Add(element.major, element.minor);
  }
  return text.Text();
}

const char* tVersionDesc::RevAndVersion() const {
  if (!_bFormatted) {
    _pcFormattedVersion = Revision();
    _pcFormattedVersion += kBetweenRevisionAndText;
    _pcFormattedVersion += _CLabel.text;
    _bFormatted = true;
  }
  return _pcFormattedVersion.c_str();
}

const char* tVersionDesc::Version() const { return _CLabel.text.c_str(); }

int tVersionDesc::Creator() const { return _CLabel.iCreator; }

}  // namespace tarn
