#include "engine/revisions/new_revision_number.h"

#include <limits>
#include <utility>

#include "engine/format/revision_number.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

constexpr int kLargestNumber = std::numeric_limits<std::int16_t>::max();

const RevElement& Element(const tarnCommandRevDesc& descriptor, int index) {
  return descriptor.elements[static_cast<std::size_t>(index)];
}

// The base's number with the element at `depth` replaced, exact throughout.
tarnCommandRevDesc NumberBelow(const tarnCommandRevDesc& base, int depth, int major, int minor) {
  tarnCommandRevDesc number;
  for (int i = 0; i < depth; ++i) {
    const RevElement& element = Element(base, i);
    AddRevisionElement(number, element.iMajor, element.iMinor, i);
  }
  AddRevisionElement(number, static_cast<std::int16_t>(major), static_cast<std::int16_t>(minor),
                     depth);
  return number;
}

int Refuse(CheckedMessage<std::string, std::string> message, const tarnCommandRevDesc& requested,
           const tarnCommandRevDesc& base) {
  Report(kAlert, message, FormatRevision(requested), FormatRevision(base));
  return -1;
}

// A number given for a logfile that already has revisions.
int CheckRequestedNumber(const BaseRevision& base, const tarnCommandRevDesc& requested,
                         NewRevisionNumber& result) {
  const int depth = base.Depth();
  if (requested.iElementCount != base.number.iElementCount) {
    return Refuse(msg::kRevisionShapeMismatch, requested, base.number);
  }
  for (int i = 0; i < depth; ++i) {
    if (Element(requested, i).iMajor != Element(base.number, i).iMajor ||
        Element(requested, i).iMinor != Element(base.number, i).iMinor) {
      return Refuse(msg::kRevisionShapeMismatch, requested, base.number);
    }
  }
  // The new revision is placed as the newest of the base's line; from an
  // older revision of that line it would sit between two revisions whose
  // deltas then no longer fit each other.
  if (!base.IsTip()) return Refuse(msg::kRevisionShapeMismatch, requested, base.number);
  const RevElement& wanted = Element(requested, depth);
  const RevElement& last = Element(base.number, depth);
  if (depth == 0) {
    // Ordered by major, then minor: minors run past any fixed factor.
    if (std::pair(wanted.iMajor, wanted.iMinor) <= std::pair(last.iMajor, last.iMinor)) {
      return Refuse(msg::kRevisionNotGreater, requested, base.number);
    }
  } else {
    if (wanted.iMajor != last.iMajor) return Refuse(msg::kBranchMismatch, requested, base.number);
    if (wanted.iMinor <= last.iMinor) {
      return Refuse(msg::kBranchRevisionTooLow, requested, base.number);
    }
  }
  result.number = NumberBelow(base.number, depth, wanted.iMajor, wanted.iMinor);
  result.startsBranch = false;
  return 1;
}

int NumbersUsedUp(const BaseRevision& base) {
  Report(kAlert, msg::kRevisionNumbersExhausted, FormatRevision(base.number));
  return -1;
}

}  // namespace

int WorkOutNewRevisionNumber(const BaseRevision& base,
                             const std::optional<tarnCommandRevDesc>& requested, bool newBranch,
                             const tLogFileHdr& header, NewRevisionNumber& result) {
  result = NewRevisionNumber{};
  if (base.IsVirtual()) {
    // The first revision: the given number's first element, else the
    // header's next trunk number (1.0 in a new logfile).
    if (requested) {
      const RevElement& first = Element(*requested, 0);
      result.number = NumberBelow(*requested, 0, first.iMajor, first.iMinor);
      return 1;
    }
    if (header._iMinorNumber >= kLargestNumber) return NumbersUsedUp(base);
    result.number = NumberBelow(base.number, 0, header._iMajorNumber, header._iMinorNumber + 1);
    return 1;
  }
  if (requested) return CheckRequestedNumber(base, *requested, result);

  const int depth = base.Depth();
  const RevElement& last = Element(base.number, depth);
  if (base.IsTip() && !newBranch) {
    if (last.iMinor >= kLargestNumber) return NumbersUsedUp(base);
    result.number = NumberBelow(base.number, depth, last.iMajor, last.iMinor + 1);
    return 1;
  }
  const int branchDepth = depth + 1;
  if (branchDepth > kMaxNewRevisionDepth) {
    Report(kAlert, msg::kTooManyElements, kMaxRevisionElements);
    return -1;
  }
  if (base.header._iBranchCount >= kLargestNumber || base.header._iBranchCount < 0) {
    return NumbersUsedUp(base);
  }
  result.number = NumberBelow(base.number, branchDepth, base.header._iBranchCount + 1, 1);
  result.startsBranch = true;
  return 1;
}

}  // namespace tarn
