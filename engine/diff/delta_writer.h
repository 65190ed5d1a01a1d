// Turning the line changes of a comparison into delta records.
#pragma once

#include <cstdint>
#include <span>

#include "engine/diff/compared_text.h"
#include "engine/diff/edit_script.h"
#include "engine/diff/line_table.h"
#include "engine/support/guarded_memory.h"

namespace tarn {

// Appends the records for `changes` (line indexes of the two tables) to
// `delta`, so that applying them to the source as read gives the target as
// read, byte for byte. A separator appended to complete a text's last line
// never reaches the delta; where exactly one of the texts lacks its final
// separator and the last lines are otherwise alike, a one-byte record adds
// or removes it. `changes` must not be empty.
void WriteDeltaRecords(const ComparedText& source, const LineTable& source_lines,
                       const ComparedText& target, const LineTable& target_lines,
                       std::span<const LineChange> changes, std::uint8_t separator,
                       ByteBuffer& delta);

}  // namespace tarn
