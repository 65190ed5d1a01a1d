#include "engine/commands/revision_by_date.h"

#include <optional>

#include "engine/format/revision_number.h"
#include "engine/support/report.h"
#include "engine/text/local_date_text.h"

namespace tarn {

namespace {

const RevElement& Element(const tarnCommandRevDesc& number, int index) {
  return number.elements[static_cast<std::size_t>(index)];
}

// Along a line, revisions come in the order of their last number.
bool LaterOnLine(const tarnCommandRevDesc& a, const tarnCommandRevDesc& b) {
  const RevElement& x = Element(a, a.iElementCount - 1);
  const RevElement& y = Element(b, b.iElementCount - 1);
  return x.iMajor != y.iMajor ? x.iMajor > y.iMajor : x.iMinor > y.iMinor;
}

}  // namespace

tarnCommandRevDesc LineOfRequest(const tarnCommandRevDesc& request) {
  tarnCommandRevDesc line = request;
  if (line.iElementCount < 1) line.iElementCount = 1;
  line.elements[static_cast<std::size_t>(line.iElementCount - 1)].iMinor = -1;
  return line;
}

bool OnLine(const tarnCommandRevDesc& line, const tarnCommandRevDesc& number) {
  if (number.iElementCount != line.iElementCount) return false;
  const int depth = line.iElementCount - 1;
  if (depth == 0) return true;  // the trunk, every major number of it
  for (int k = 0; k < depth; ++k) {
    if (Element(number, k).iMajor != Element(line, k).iMajor ||
        Element(number, k).iMinor != Element(line, k).iMinor) {
      return false;
    }
  }
  return Element(number, depth).iMajor == Element(line, depth).iMajor;
}

DateChoice FindRevisionAtDate(platform::File& stream, std::int64_t first_record_offset,
                              const tarnCommandRevDesc& line, std::int64_t when,
                              DatedRevision& chosen) {
  RevisionScanner scanner(stream, first_record_offset);
  RevisionRecord record;
  std::optional<RevisionRecord> best;
  std::optional<std::int64_t> earliest;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kFailed:
        return DateChoice::kFailed;
      case RevisionScanner::Step::kEnd:
        if (best) {
          chosen.record = *best;
          return DateChoice::kFound;
        }
        if (!earliest) return DateChoice::kNoLine;
        chosen.first_check_in = *earliest;
        return DateChoice::kBeforeFirst;
      case RevisionScanner::Step::kRecord: {
        if (!OnLine(line, record.number)) break;
        const std::int64_t put = record.header.FilePutDate;
        if (!earliest || put < *earliest) earliest = put;
        if (put > when) break;
        const std::int64_t best_put = best ? static_cast<std::int64_t>(best->header.FilePutDate) : 0;
        if (!best || put > best_put || (put == best_put && LaterOnLine(record.number, best->number))) {
          best = record;
        }
        break;
      }
    }
  }
}

std::optional<tarnCommandRevDesc> ChooseRevisionByDate(
    platform::File& stream, std::int64_t first_record_offset, const LogfileHeader& header,
    const std::optional<tarnCommandRevDesc>& given, std::int64_t when, std::string_view when_text,
    std::string_view file_name, MessageKind note_kind) {
  tarnCommandRevDesc base;
  if (given) {
    base = *given;
  } else if (DefaultRevision(header, base) != 1) {
    return std::nullopt;
  }
  const tarnCommandRevDesc line = LineOfRequest(base);
  DatedRevision chosen;
  switch (FindRevisionAtDate(stream, first_record_offset, line, when, chosen)) {
    case DateChoice::kFound:
      Report(note_kind, msg::kChosenByDate, file_name, FormatRevision(chosen.record.number),
             LocalDateText(chosen.record.header.FilePutDate), when_text);
      return chosen.record.number;
    case DateChoice::kBeforeFirst:
      Report(kAlert, msg::kDateBeforeFirst, file_name, FormatRevision(line), when_text,
             LocalDateText(chosen.first_check_in));
      return std::nullopt;
    case DateChoice::kNoLine:
      Report(kAlert, msg::kNoRevisionOnLine, file_name, FormatRevision(line));
      return std::nullopt;
    case DateChoice::kFailed:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace tarn
