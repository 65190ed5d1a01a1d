// Finding revision records in a logfile.
//
// Behind the logfile header come the revision records, each a 32-byte
// revision header, the check-in description and the stored data. A record
// stores only its own depth and the last element of its number; the full
// number follows from where the record stands, because every writer keeps
// the records in this order:
//
//   1. The first record is the trunk tip (the newest trunk revision, tip flag
//      set); its data is the complete text.
//   2. The older trunk revisions follow, newest first, each holding a
//      reverse delta against the trunk revision before it in the file.
//   3. Directly after the record of any revision R come the branches started
//      at R, each as its revisions oldest first, and only then the next
//      revision of R's own line. A branch's first revision holds a forward
//      delta against R, every later one a forward delta against its
//      predecessor on the branch. The same holds inside branches, at any
//      depth.
//   4. The newest revision of every line has its tip flag set; no other does.
//
// So a scan that keeps one descriptor and, for each record, sets the element
// at the record's depth (leaving the elements below it alone) always holds
// the full number of the record just read: the elements below were set by
// the branch-point records, which precede their branches. And applying the
// data of the records on the path to a revision, skipping all others, in
// file order, rebuilds that revision's text.
//
// Every record is checked against the file's real length before anything
// relies on its sizes: a damaged size can neither send a reader past the end
// nor make it allocate what the file cannot hold. The scan also checks the
// order above as far as it has read (trunk numbers descending, a record at
// most one level deeper than the one before it, a branch's number within
// its parent's branch count, numbers ascending along a branch, exactly the
// last revision of each line marked as its tip) and the ranges of the flags:
// a logfile that breaks them is damaged, and is reported so rather than
// yielding a wrong revision.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"
#include "engine/support/guarded_memory.h"
#include "platform/file.h"

namespace tarn {

// One revision record as a scan finds it.
struct RevisionRecord {
  tRevHdr header;
  tarnCommandRevDesc number;  // the full revision number
  std::int64_t offset = 0;    // of the 32-byte revision header

  std::int64_t DescriptionOffset() const;
  std::int64_t DataOffset() const;
  std::int64_t EndOffset() const;  // where the next record starts
};

// Walks the records from a given offset in file order, keeping the full
// number of each. Reads with explicit seeks, so the stream's position after a
// step is unspecified; the routines below restore it.
class RevisionScanner {
 public:
  enum class Step {
    kRecord,  // `record` holds the next record
    kEnd,     // clean end of the file
    kFailed,  // damaged or unreadable record, already reported (106, 145)
  };

  // Where a walk starts: at the first record, so that the order of the
  // records can be checked, or somewhere in the middle, where only each
  // record on its own can be.
  enum class Start { kFirstRecord, kMidway };

  // `stream` must outlive the scanner. Unreadable size: the first step fails.
  RevisionScanner(platform::File& stream, std::int64_t startOffset,
                  Start start = Start::kFirstRecord);

  Step Next(RevisionRecord& record);
  std::int64_t NextOffset() const { return next_; }
  // Records read so far.
  int Count() const { return count_; }

  // Reads the rest of the file, from the next record to the end, into
  // memory in one go; later steps read their headers from there, and
  // LoadedData hands out the stored data of the records they find. A walk
  // over hundreds of records then costs one read instead of a few calls to
  // the system per record. 1, or -1 (106, 145 or 138 reported).
  int LoadRest();
  // The stored data of `record`, a record found after LoadRest; it lives as
  // long as the scanner.
  std::span<const std::uint8_t> LoadedData(const RevisionRecord& record) const;
  // Whether the byte before the stored data of `record`, a record found after
  // LoadRest, is the NUL that ends its description.
  bool DescriptionEndsInNul(const RevisionRecord& record) const;

 private:
  bool ReadHeaderBytes(std::span<std::uint8_t> bytes);

  // The last record read at one depth of the line being walked.
  struct LineEnd {
    tRevHdr header;
    bool seen = false;
  };

  bool FieldsInRange(const tRevHdr& header) const;
  bool KeepsTheOrder(const tRevHdr& header);
  bool LinesEndInTips(std::size_t fromDepth) const;

  platform::File& stream_;
  bool checkOrder_;
  std::int64_t next_;
  std::optional<std::int64_t> fileSize_;
  tarnCommandRevDesc effective_;
  ByteBuffer loaded_;             // the file from `loadedFrom_` to its end
  std::int64_t loadedFrom_ = -1;  // -1: nothing loaded

  int count_ = 0;
  std::vector<LineEnd> lines_;  // index: depth
};

// Positions the stream on the first revision record: the fixed header, the
// stored default revision, the six header strings and the label records are
// skipped by their sizes. Reports 106 on a short or damaged header.
int SkipHeader(platform::File& stream);

// Skips `fixed._iVersionCount` label records from the current position.
int SkipLabels(platform::File& stream, const tLogFileHdr& fixed);

// LookUpRevision (revision_lookup.h) from the stream's position, for callers
// that hold a stream rather than a record: the first record that request
// `wanted` selects. On success `found` is its header and `offset` the offset
// of that header (so it can be rewritten in place). Unfound also when no
// record matches; a damaged record or an empty revision section is reported
// (106). The stream is back at its starting position in every case.
int FindRevision(const tarnCommandRevDesc& wanted, platform::File& stream, tRevHdr& found,
                 std::int64_t& offset);

// The revision a command uses when none is asked for: the stored default
// revision, or else the newest trunk revision named by the fixed header.
int DefaultRevision(const LogfileHeader& header, tarnCommandRevDesc& result);

// The newest revision of the line that `request` names (its element count
// gives the depth; the elements below and the last major must agree), from
// the stream's position on. On success `tip` and `tipNumber` describe it. The
// stream is back at its starting position in every case.
int FindBranchTip(platform::File& stream, const tarnCommandRevDesc& request, tRevHdr& tip,
                  tarnCommandRevDesc& tipNumber);

// Reads a record's check-in description (without its NUL) or stored data.
// The scanner has checked the sizes against the file, so these never
// allocate more than the file holds. Reports 106/145 and returns -1 on
// failure.
int ReadRevisionDescription(platform::File& stream, const RevisionRecord& record,
                            std::string& description);
int ReadRevisionData(platform::File& stream, const RevisionRecord& record, ByteBuffer& data);

}  // namespace tarn
