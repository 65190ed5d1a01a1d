// Choosing a revision by date: the newest revision of one line of
// development (the trunk, or one branch) checked in at or before a moment.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/store/revision_scan.h"
#include "engine/support/report.h"
#include "platform/file.h"

namespace tarn {

enum class DateChoice {
  kFound,
  kBeforeFirst,  // the line's first revision is later than the moment
  kNoLine,       // no record lies on the line
  kFailed,       // a damaged or unreadable record, already reported
};

// The line a revision request lies on: one element for the trunk (every
// trunk revision, whatever its major number), else the request's elements
// with the last one's minor number left open.
tarnCommandRevDesc LineOfRequest(const tarnCommandRevDesc& request);

// True when the record numbered `number` lies on `line`.
bool OnLine(const tarnCommandRevDesc& line, const tarnCommandRevDesc& number);

struct DatedRevision {
  RevisionRecord record;             // kFound: the revision chosen
  std::int64_t first_check_in = 0;   // kBeforeFirst: the line's earliest check-in
};

// Scans the records from `first_record_offset` for the revision of `line`
// with the latest check-in time at or before `when` (of two with the same
// time, the later on the line).
DateChoice FindRevisionAtDate(platform::File& stream, std::int64_t first_record_offset,
                              const tarnCommandRevDesc& line, std::int64_t when,
                              DatedRevision& chosen);

// A command's date option: the revision chosen on the line of `given` (the
// revision option) or, when none was given, of the header's default
// revision, at or before `when` (written `when_text`). The choice is named
// in a message of kind `note_kind` (a status, or an alert where standard output holds a
// text); a moment before the line's first revision, or a line without
// revisions, is reported for `file_name`. None after such a report.
std::optional<tarnCommandRevDesc> ChooseRevisionByDate(
    platform::File& stream, std::int64_t first_record_offset, const LogfileHeader& header,
    const std::optional<tarnCommandRevDesc>& given, std::int64_t when, std::string_view when_text,
    std::string_view file_name, MessageKind note_kind);

}  // namespace tarn
