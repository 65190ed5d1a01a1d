// Which revision brought in each line of a revision: the walk behind
// tarn annotate.
//
// A logfile holds the newest trunk revision whole, older trunk revisions as
// reverse deltas and branch revisions as forward deltas. So the walk goes
// down the trunk from its tip to the trunk revision the wanted one stems
// from, then on down the trunk with every byte of that text marked: a byte
// that a reverse delta takes away did not exist in the older revision, so
// the newer one brought it in; what survives to the oldest revision came
// with it. For a branch revision the walk then goes forward along the path
// out to it: bytes a forward delta inserts come with that branch revision.
// Every record is applied once, as lengths only where no text is needed; a
// line's origin is the newest origin among its bytes (a changed line is
// new, even where the change kept most of its bytes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/revision_desc.h"
#include "engine/store/logfile_reading.h"

namespace tarn::cli {

struct OriginRevision {
  std::string number;
  std::string creator;
  std::int64_t checked_in = 0;  // seconds since 1970 UTC
};

struct AnnotatedLine {
  std::size_t origin = 0;  // index into AnnotatedRevision::origins
  std::string text;        // without its line end
};

struct AnnotatedRevision {
  std::string number;  // the revision annotated
  std::vector<OriginRevision> origins;
  std::vector<AnnotatedLine> lines;
};

enum class AnnotateResult {
  kDone,
  kNotFound,  // no revision matches the request; nothing reported
  kFailed,    // damaged or unreadable logfile; reported
};

// Annotates the revision that `request` selects in the open logfile.
AnnotateResult AnnotateRevision(LogfileReading& logfile, const tarnCommandRevDesc& request,
                                AnnotatedRevision& annotated);

}  // namespace tarn::cli
