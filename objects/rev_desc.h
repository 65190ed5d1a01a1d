// tRevDesc: a revision number for clients of the object interface.
//
// Wraps the engine's revision descriptor (up to 20 elements of major and
// minor numbers with their match flags) and formats it as text ("1.2.1.3";
// an element with a negative minor, a branch, shows only its major:
// "1.2.1"). The text is built on first use and kept until the number
// changes. Copies are deep.
#pragma once

#include <string>

#include "engine/format/revision_desc.h"
#include "objects/tt_bool.h"

namespace tarn {

class tRevDesc {
 public:
  tRevDesc();
  // Copies the element count, the range marker and all elements; null gives
  // an empty descriptor.
  explicit tRevDesc(const tarnCommandRevDesc* descriptor);
  tRevDesc(const tRevDesc& other);
  tRevDesc& operator=(const tRevDesc& other);
  ~tRevDesc();

  int iElementCount() const;
  // Counts 0..19 are taken; anything else is refused with ttFALSE.
  ttBool iElementCount(int count);
  // Sets element `index` (0..19) to major.minor, leaving its match flags,
  // and makes it the last element. ttFALSE for an index out of range.
  ttBool AddRevision(int major, int minor, int index);

  const char* RevisionString() const;

  // The engine's form, to build requests with.
  const tarnCommandRevDesc& Descriptor() const { return _CDescriptor; }

 private:
  mutable bool _iStringValid = false;
  mutable std::string _pcRevisionString;
  tarnCommandRevDesc _CDescriptor;
};

}  // namespace tarn
