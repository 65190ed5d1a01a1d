// Keyword contraction: the reverse of keyword expansion, applied to a text
// workfile before it is checked in.
//
// A fetched workfile holds expanded keywords ("$Revision: 1.3 $", a Log
// keyword's whole history). Stored as they are, every revision would differ
// from the last in those lines and the history would be stored again with
// each revision. So the values are dropped again ("$Revision$") and the
// history inserted behind a Log keyword is left out up to its end marker.
// A Note keyword ("$Note: text $") is taken out of the text altogether; its
// text is added to the revision description instead.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/support/guarded_memory.h"

namespace tarn {

struct ContractedText {
  ByteBuffer text;
  // Contractions of keywords whose values change with every revision
  // (label, revision, date, header, name and the Log keyword). When there
  // were any, the stored edit time is the check-in time: the workfile's own
  // time stamp predates the values just dropped.
  int countedContractions = 0;
  std::vector<std::string> notes;  // texts of Note keywords, in order
};

// Contracts the keywords of `workfile` (the names are catalogue words,
// compared letter for letter).
ContractedText ContractKeywords(std::span<const std::uint8_t> workfile);

// The description with each note appended after an empty line, normalised
// again (line breaks before 70 characters).
std::string DescriptionWithNotes(std::string_view description,
                                 const std::vector<std::string>& notes);

}  // namespace tarn
