#include "tools/tarn/revision_texts.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "engine/format/compression.h"
#include "engine/store/revision_rebuild.h"
#include "engine/support/report.h"

namespace tarn::cli {

namespace {

// Whether `record` continues the branch `last` was on: the same numbers
// below its depth and the same branch number at it.
bool SameBranch(const tarnCommandRevDesc& last, const tarnCommandRevDesc& record) {
  if (last.iElementCount != record.iElementCount) return false;
  const auto depth = static_cast<std::size_t>(record.iElementCount - 1);
  for (std::size_t k = 0; k < depth; ++k) {
    if (last.elements[k].iMajor != record.elements[k].iMajor ||
        last.elements[k].iMinor != record.elements[k].iMinor) {
      return false;
    }
  }
  return last.elements[depth].iMajor == record.elements[depth].iMajor;
}

int Walk(LogfileReading& logfile, const RevisionTextVisitor& visit) {
  RevisionScanner scanner(logfile.file(), logfile.firstRecordOffset());
  // The text last reached at each depth, and the revision it belongs to.
  std::vector<ByteBuffer> texts;
  std::vector<tarnCommandRevDesc> lines;
  RevisionRecord record;
  ByteBuffer stored;
  std::string description;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kEnd:
        if (texts.empty()) {
          ReportFault(msg::kReadFailed);  // no revision at all
          return -1;
        }
        return 1;
      case RevisionScanner::Step::kFailed:
        return -1;
      case RevisionScanner::Step::kRecord:
        break;
    }
    const auto depth = static_cast<std::size_t>(record.header._iDepth);
    if (ReadRevisionData(logfile.file(), record, stored) != 1 ||
        ReadRevisionDescription(logfile.file(), record, description) != 1) {
      return -1;
    }
    const bool compressed = record.header._cCompressed == 1;
    if (texts.empty()) {
      // The trunk tip: its data is the whole text.
      texts.emplace_back();
      lines.push_back(record.number);
      texts[0] = stored;
      if (compressed && Expand(texts[0]) != 1) {
        ReportDamage(DamageKind::kBadData);
        return -1;
      }
    } else {
      if (depth > texts.size()) return -1;  // the scanner keeps depths in order
      if (depth == texts.size()) {
        texts.emplace_back();
        lines.emplace_back();
      }
      // A branch's first revision is made from its branch point's text,
      // every later one from its predecessor's.
      if (depth > 0 && !SameBranch(lines[depth], record.number)) texts[depth] = texts[depth - 1];
      if (ApplyRecordData(stored, compressed, texts[depth]) != 1) return -1;
      lines[depth] = record.number;
    }
    if (!visit(record, description, texts[depth])) return -1;
  }
}

}  // namespace

int WalkRevisionTexts(LogfileReading& logfile, const RevisionTextVisitor& visit) {
  try {
    return Walk(logfile, visit);
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    ReportFault(msg::kOutOfMemory);
  }
  return -1;
}

}  // namespace tarn::cli
