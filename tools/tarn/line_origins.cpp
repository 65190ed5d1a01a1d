#include "tools/tarn/line_origins.h"

#include <numeric>
#include <span>
#include <unordered_map>

#include "engine/format/compression.h"
#include "engine/format/delta_format.h"
#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/store/revision_rebuild.h"
#include "engine/store/revision_scan.h"
#include "engine/support/report.h"

namespace tarn::cli {

namespace {

// A byte of the annotated text that no walked delta has taken away yet.
using Mark = std::int32_t;
constexpr Mark kNotAnnotated = -1;

// Walks a delta over a source of `source_size` bytes: `copy(from, length)`
// for each unchanged run, `remove(from, length)` for each removed one and
// `insert(bytes)` for inserted bytes, in order. False when the delta does
// not fit the source.
template <class Copy, class Remove, class Insert>
bool WalkDelta(std::span<const std::uint8_t> delta, std::size_t source_size, Copy copy,
               Remove remove, Insert insert) {
  DeltaReader reader(delta);
  DeltaRecord record;
  std::size_t at = 0;
  while (true) {
    const int step = reader.Next(record);
    if (step < 0) return false;
    if (step == 0) break;
    if (record.position < 0 || record.removed < 0) return false;
    const auto position = static_cast<std::size_t>(record.position);
    const auto removed = static_cast<std::size_t>(record.removed);
    if (position < at || position > source_size || removed > source_size - position) return false;
    copy(at, position - at);
    if (removed > 0) remove(position, removed);
    if (!record.bytes.empty()) insert(record.bytes);
    at = position + removed;
  }
  copy(at, source_size - at);
  return true;
}

class OriginWalk {
 public:
  explicit OriginWalk(LogfileReading& logfile)
      : logfile_(logfile), scanner_(logfile.file(), logfile.firstRecordOffset()) {}

  AnnotateResult Run(const tarnCommandRevDesc& request, AnnotatedRevision& annotated) {
    if (!LoadRecords()) return AnnotateResult::kFailed;
    std::optional<std::size_t> target;
    for (std::size_t i = 0; i < records_.size() && !target; ++i) {
      if (RevisionMatches(request, records_[i].number, records_[i].header)) target = i;
    }
    if (!target) return AnnotateResult::kNotFound;
    const tarnCommandRevDesc& wanted = records_[*target].number;
    std::vector<std::size_t> trunk;
    std::optional<std::size_t> base;  // place in `trunk` of the trunk revision it stems from
    for (std::size_t i = 0; i < records_.size(); ++i) {
      if (records_[i].header._iDepth != 0) continue;
      if (records_[i].number.elements[0] == wanted.elements[0]) base = trunk.size();
      trunk.push_back(i);
    }
    if (!base) return AnnotateResult::kNotFound;

    ByteBuffer text = std::move(tip_);
    for (std::size_t k = 1; k <= *base; ++k) {
      if (!ApplyTo(trunk[k], text)) return AnnotateResult::kFailed;
    }
    std::vector<std::int32_t> origins;
    if (!TrunkOrigins(trunk, *base, text.size(), origins)) return AnnotateResult::kFailed;
    for (std::size_t i = trunk[*base] + 1; i <= *target && wanted.iElementCount > 1; ++i) {
      if (records_[i].header._iDepth == 0 || !OnRevisionPath(records_[i].number, wanted)) continue;
      if (!Forward(i, text, origins)) return AnnotateResult::kFailed;
    }
    annotated.number = FormatRevision(wanted);
    Lines(text, origins, annotated);
    return AnnotateResult::kDone;
  }

 private:
  bool LoadRecords() {
    RevisionRecord record;
    const RevisionScanner::Step first = scanner_.Next(record);
    if (first == RevisionScanner::Step::kEnd) ReportFault(msg::kReadFailed);  // no revision at all
    if (first != RevisionScanner::Step::kRecord) return false;
    if (ReadRevisionData(logfile_.file(), record, tip_) != 1) return false;
    if (record.header._cCompressed == 1 && !Expanded(tip_)) return false;
    records_.push_back(record);
    if (scanner_.LoadRest() != 1) return false;
    while (true) {
      switch (scanner_.Next(record)) {
        case RevisionScanner::Step::kRecord:
          records_.push_back(record);
          break;
        case RevisionScanner::Step::kEnd:
          return true;
        case RevisionScanner::Step::kFailed:
          return false;
      }
    }
  }

  static bool Expanded(ByteBuffer& data) {
    if (Expand(data) == 1) return true;
    ReportDamage(DamageKind::kBadData);
    return false;
  }

  // The delta record `i` holds, expanded.
  bool Delta(std::size_t i, ByteBuffer& delta) const {
    const std::span<const std::uint8_t> stored = scanner_.LoadedData(records_[i]);
    delta.assign(stored.begin(), stored.end());
    return records_[i].header._cCompressed != 1 || Expanded(delta);
  }

  bool ApplyTo(std::size_t i, ByteBuffer& text) const {
    return ApplyRecordData(scanner_.LoadedData(records_[i]), records_[i].header._cCompressed == 1,
                           text) == 1;
  }

  // Down the trunk from `trunk[base]`, whose text has `size` bytes: each
  // byte's origin (a record index).
  bool TrunkOrigins(const std::vector<std::size_t>& trunk, std::size_t base, std::size_t size,
                    std::vector<std::int32_t>& origins) const {
    origins.assign(size, kNotAnnotated);
    std::vector<Mark> marks(size);
    std::iota(marks.begin(), marks.end(), 0);
    std::size_t open = size;
    std::size_t oldest = trunk[base];
    ByteBuffer delta;
    for (std::size_t k = base + 1; k < trunk.size() && open > 0; ++k) {
      const auto newer = static_cast<std::int32_t>(trunk[k - 1]);
      if (!Delta(trunk[k], delta)) return false;
      std::vector<Mark> older;
      older.reserve(marks.size());
      const bool fits = WalkDelta(
          delta, marks.size(),
          [&](std::size_t from, std::size_t length) {
            older.insert(older.end(), marks.begin() + static_cast<std::ptrdiff_t>(from),
                         marks.begin() + static_cast<std::ptrdiff_t>(from + length));
          },
          [&](std::size_t from, std::size_t length) {
            for (std::size_t b = from; b < from + length; ++b) {
              if (marks[b] == kNotAnnotated) continue;
              origins[static_cast<std::size_t>(marks[b])] = newer;
              --open;
            }
          },
          [&](std::span<const std::uint8_t> bytes) { older.insert(older.end(), bytes.size(), kNotAnnotated); });
      if (!fits) {
        ReportDamage(DamageKind::kBadData);
        return false;
      }
      marks.swap(older);
      oldest = trunk[k];
    }
    for (std::int32_t& origin : origins) {
      if (origin == kNotAnnotated) origin = static_cast<std::int32_t>(oldest);
    }
    return true;
  }

  // One forward delta out along a branch: inserted bytes come with record `i`.
  bool Forward(std::size_t i, ByteBuffer& text, std::vector<std::int32_t>& origins) const {
    ByteBuffer delta;
    if (!Delta(i, delta)) return false;
    ByteBuffer next_text;
    std::vector<std::int32_t> next_origins;
    const bool fits = WalkDelta(
        delta, text.size(),
        [&](std::size_t from, std::size_t length) {
          const auto begin = static_cast<std::ptrdiff_t>(from);
          const auto end = static_cast<std::ptrdiff_t>(from + length);
          next_text.insert(next_text.end(), text.begin() + begin, text.begin() + end);
          next_origins.insert(next_origins.end(), origins.begin() + begin, origins.begin() + end);
        },
        [](std::size_t, std::size_t) {},
        [&](std::span<const std::uint8_t> bytes) {
          next_text.insert(next_text.end(), bytes.begin(), bytes.end());
          next_origins.insert(next_origins.end(), bytes.size(), static_cast<std::int32_t>(i));
        });
    if (!fits) {
      ReportDamage(DamageKind::kBadData);
      return false;
    }
    text.swap(next_text);
    origins.swap(next_origins);
    return true;
  }

  // Newer origins rank higher: trunk records stand newest first in the
  // file, branch records (all newer than their trunk base) oldest first.
  std::int64_t Rank(std::int32_t origin) const {
    const auto i = static_cast<std::size_t>(origin);
    if (records_[i].header._iDepth == 0) return -static_cast<std::int64_t>(i);
    return static_cast<std::int64_t>(i + records_.size());
  }

  void Lines(const ByteBuffer& text, const std::vector<std::int32_t>& origins,
             AnnotatedRevision& annotated) const {
    std::unordered_map<std::int32_t, std::size_t> places;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = start;
      std::int32_t newest = origins[start];
      while (end < text.size()) {
        if (Rank(origins[end]) > Rank(newest)) newest = origins[end];
        if (text[end++] == '\n') break;
      }
      auto [place, added] = places.try_emplace(newest, annotated.origins.size());
      if (added) annotated.origins.push_back(Origin(newest));
      const std::size_t line_end = text[end - 1] == '\n' ? end - 1 : end;
      annotated.lines.push_back(
          AnnotatedLine{place->second, std::string(text.begin() + static_cast<std::ptrdiff_t>(start),
                                                   text.begin() + static_cast<std::ptrdiff_t>(line_end))});
      start = end;
    }
  }

  OriginRevision Origin(std::int32_t origin) const {
    const RevisionRecord& record = records_[static_cast<std::size_t>(origin)];
    return OriginRevision{FormatRevision(record.number),
                          UserName(logfile_.header().modifierList, record.header.CreatorIndex),
                          static_cast<std::int64_t>(record.header.FilePutDate)};
  }

  LogfileReading& logfile_;
  RevisionScanner scanner_;
  std::vector<RevisionRecord> records_;  // in file order
  ByteBuffer tip_;                       // the trunk tip's text
};

}  // namespace

AnnotateResult AnnotateRevision(LogfileReading& logfile, const tarnCommandRevDesc& request,
                                AnnotatedRevision& annotated) {
  try {
    OriginWalk walk(logfile);
    return walk.Run(request, annotated);
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    ReportFault(msg::kOutOfMemory);
  }
  return AnnotateResult::kFailed;
}

}  // namespace tarn::cli
