#include "objects/rev_desc.h"

#include <algorithm>

#include "objects/revision_text.h"

namespace tarn {

tRevDesc::tRevDesc() = default;

tRevDesc::tRevDesc(const tarnCommandRevDesc* descriptor) {
  if (descriptor != nullptr) _CDescriptor = *descriptor;
}

tRevDesc::tRevDesc(const tRevDesc& other) = default;

tRevDesc& tRevDesc::operator=(const tRevDesc& other) = default;

tRevDesc::~tRevDesc() = default;

int tRevDesc::iElementCount() const { return _CDescriptor.iElementCount; }

ttBool tRevDesc::iElementCount(int count) {
  if (count < 0 || count >= kMaxRevisionElements) return ttFALSE;
  _CDescriptor.iElementCount = static_cast<std::int16_t>(count);
  _iStringValid = false;
  return ttTRUE;
}

ttBool tRevDesc::AddRevision(int major, int minor, int index) {
  if (index < 0 || index >= kMaxRevisionElements) return ttFALSE;
  RevElement& element = _CDescriptor.elements[static_cast<std::size_t>(index)];
  element.iMajor = static_cast<std::int16_t>(major);
  element.iMinor = static_cast<std::int16_t>(minor);
  _CDescriptor.iElementCount = static_cast<std::int16_t>(index + 1);
  _iStringValid = false;
  return ttTRUE;
}

const char* tRevDesc::RevisionString() const {
  if (!_iStringValid) {
    RevisionText text;
    const int count = std::clamp<int>(_CDescriptor.iElementCount, 0, kMaxRevisionElements);
    for (int i = 0; i < count; ++i) {
      const RevElement& element = _CDescriptor.elements[static_cast<std::size_t>(i)];
      text.Add(element.iMajor, element.iMinor);
    }
    _pcRevisionString = text.Text();
    _iStringValid = true;
  }
  return _pcRevisionString.c_str();
}

}  // namespace tarn
