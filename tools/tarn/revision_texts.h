// Every revision's whole text, one after the other in the logfile's order,
// for a reader that needs them all (the export): each record's delta is
// applied once, to the text of the revision it was made from, and only the
// texts of the lines being walked (one per branch depth) are held.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "engine/store/logfile_reading.h"
#include "engine/store/revision_scan.h"

namespace tarn::cli {

// Called for each revision: its record, check-in description and text.
// Returning false stops the walk.
using RevisionTextVisitor = std::function<bool(
    const RevisionRecord& record, const std::string& description, std::span<const std::uint8_t> text)>;

// 1 when every record was visited; -1 when a record is damaged or its data
// does not apply (reported), or the visitor stopped the walk.
int WalkRevisionTexts(LogfileReading& logfile, const RevisionTextVisitor& visit);

}  // namespace tarn::cli
