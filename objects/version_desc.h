// tVersionDesc: one label of a logfile, as the object interface shows it.
//
// The label's revision (up to 20 major.minor pairs; a last minor of -1 makes
// it a floating label on a branch), its text and the position of its creator
// in the logfile's modifier list. RevAndVersion gives "1.2.1 -- REL_1";
// the text is built on first use and kept. Copies are deep.
#pragma once

#include <string>

#include "engine/format/logfile_header.h"

namespace tarn {

class tVersionDesc {
 public:
  // No revision, no text, creator -1.
  tVersionDesc();
  // A label record as the engine's header reader holds it.
  explicit tVersionDesc(const LabelRecord& label);
  tVersionDesc(const tVersionDesc& other);
  tVersionDesc& operator=(const tVersionDesc& other);
  ~tVersionDesc();

  // "<revision> -- <label text>".
  const char* RevAndVersion() const;
  // The label text alone.
  const char* Version() const;
  int Creator() const;
  // The label's revision alone, as text ("1.2.1").
  std::string Revision() const;

 private:
  mutable std::string _pcFormattedVersion;
  mutable bool _bFormatted = false;
  LabelRecord _CLabel;
};

}  // namespace tarn
