#include "engine/diff/edit_script.h"

#include <limits>
#include <stdexcept>

namespace tarn {
namespace {

constexpr std::int32_t kProgressEveryCost = 10;
constexpr std::int32_t kBelowBand = -1;
constexpr std::int32_t kAboveBand = std::numeric_limits<std::int32_t>::max();

struct SplitPoint {
  std::int32_t x;
  std::int32_t y;
};

class EditScriptSearch {
 public:
  EditScriptSearch(const ComparedSequence& first, const ComparedSequence& second,
                   std::span<std::uint8_t> changed1, std::span<std::uint8_t> changed2,
                   DiffProgress& progress)
      : x_(first.classes.data()),
        y_(second.classes.data()),
        lines1_(first.lines.data()),
        lines2_(second.lines.data()),
        changed1_(changed1),
        changed2_(changed2),
        progress_(progress),
        forward_store_(first.classes.size() + second.classes.size() + 3),
        backward_store_(first.classes.size() + second.classes.size() + 3) {
    // Diagonals run from -M - 1 to N + 1.
    const auto offset = static_cast<std::ptrdiff_t>(second.classes.size()) + 1;
    forward_ = forward_store_.data() + offset;
    backward_ = backward_store_.data() + offset;
  }

  void Compare(std::int32_t xoff, std::int32_t xlim, std::int32_t yoff, std::int32_t ylim) {
    progress_.Step();
    while (xoff < xlim && yoff < ylim && x_[xoff] == y_[yoff]) {
      ++xoff;
      ++yoff;
    }
    while (xlim > xoff && ylim > yoff && x_[xlim - 1] == y_[ylim - 1]) {
      --xlim;
      --ylim;
    }
    if (xoff == xlim) {
      for (std::int32_t y = yoff; y < ylim; ++y) changed2_[Index(lines2_[y])] = 1;
    } else if (yoff == ylim) {
      for (std::int32_t x = xoff; x < xlim; ++x) changed1_[Index(lines1_[x])] = 1;
    } else {
      const SplitPoint split = MiddleSnake(xoff, xlim, yoff, ylim);
      // Both halves cost at least one edit, so neither is the whole range.
      if ((split.x == xoff && split.y == yoff) || (split.x == xlim && split.y == ylim) ||
          split.x < xoff || split.x > xlim || split.y < yoff || split.y > ylim) {
        throw std::logic_error("middle snake outside its range");
      }
      Compare(xoff, split.x, yoff, split.y);
      Compare(split.x, xlim, split.y, ylim);
    }
  }

 private:
  static std::size_t Index(std::int32_t line) { return static_cast<std::size_t>(line); }

  // Extends a forward and a backward search one cost step at a time until
  // they overlap on some diagonal k = x - y; the range splits at the
  // backward search's point on that diagonal.
  SplitPoint MiddleSnake(std::int32_t xoff, std::int32_t xlim, std::int32_t yoff,
                         std::int32_t ylim) {
    const std::int32_t dmin = xoff - ylim;
    const std::int32_t dmax = xlim - yoff;
    const std::int32_t fmid = xoff - yoff;
    const std::int32_t bmid = xlim - ylim;
    const bool odd = ((fmid - bmid) & 1) != 0;
    std::int32_t* const fd = forward_;
    std::int32_t* const bd = backward_;
    std::int32_t fmin = fmid;
    std::int32_t fmax = fmid;
    std::int32_t bmin = bmid;
    std::int32_t bmax = bmid;
    fd[fmid] = xoff;
    bd[bmid] = xlim;

    for (std::int32_t cost = 1;; ++cost) {
      if (cost % kProgressEveryCost == 0) progress_.Step();

      if (fmin > dmin) {
        fd[--fmin - 1] = kBelowBand;
      } else {
        ++fmin;
      }
      if (fmax < dmax) {
        fd[++fmax + 1] = kBelowBand;
      } else {
        --fmax;
      }
      for (std::int32_t d = fmax; d >= fmin; d -= 2) {
        const std::int32_t tlo = fd[d - 1];
        const std::int32_t thi = fd[d + 1];
        std::int32_t x = tlo >= thi ? tlo + 1 : thi;
        std::int32_t y = x - d;
        while (x < xlim && y < ylim && x_[x] == y_[y]) {
          ++x;
          ++y;
        }
        fd[d] = x;
        if (odd && bmin <= d && d <= bmax && bd[d] <= x) return {bd[d], bd[d] - d};
      }

      if (bmin > dmin) {
        bd[--bmin - 1] = kAboveBand;
      } else {
        ++bmin;
      }
      if (bmax < dmax) {
        bd[++bmax + 1] = kAboveBand;
      } else {
        --bmax;
      }
      for (std::int32_t d = bmax; d >= bmin; d -= 2) {
        const std::int32_t tlo = bd[d - 1];
        const std::int32_t thi = bd[d + 1];
        std::int32_t x = tlo < thi ? tlo : thi - 1;
        std::int32_t y = x - d;
        while (x > xoff && y > yoff && x_[x - 1] == y_[y - 1]) {
          --x;
          --y;
        }
        bd[d] = x;
        if (!odd && fmin <= d && d <= fmax && x <= fd[d]) return {x, x - d};
      }
    }
  }

  const std::int32_t* x_;
  const std::int32_t* y_;
  const std::int32_t* lines1_;
  const std::int32_t* lines2_;
  std::span<std::uint8_t> changed1_;
  std::span<std::uint8_t> changed2_;
  DiffProgress& progress_;
  GuardedVector<std::int32_t> forward_store_;
  GuardedVector<std::int32_t> backward_store_;
  std::int32_t* forward_ = nullptr;
  std::int32_t* backward_ = nullptr;
};

}  // namespace

void MarkEditScript(const ComparedSequence& first, const ComparedSequence& second,
                    std::span<std::uint8_t> changed1, std::span<std::uint8_t> changed2,
                    DiffProgress& progress) {
  EditScriptSearch search(first, second, changed1, changed2, progress);
  search.Compare(0, static_cast<std::int32_t>(first.classes.size()), 0,
                 static_cast<std::int32_t>(second.classes.size()));
}

GuardedVector<LineChange> CollectChanges(std::span<const std::uint8_t> changed1,
                                         std::span<const std::uint8_t> changed2) {
  const auto n1 = static_cast<std::int32_t>(changed1.size());
  const auto n2 = static_cast<std::int32_t>(changed2.size());
  const auto is_changed = [](std::span<const std::uint8_t> changed, std::int32_t line) {
    return changed[static_cast<std::size_t>(line)] != 0;
  };
  GuardedVector<LineChange> changes;
  std::int32_t i = 0;
  std::int32_t j = 0;
  while (i < n1 || j < n2) {
    const bool here1 = i < n1 && is_changed(changed1, i);
    const bool here2 = j < n2 && is_changed(changed2, j);
    if (!here1 && !here2) {
      if (i >= n1 || j >= n2) throw std::logic_error("unchanged lines do not pair up");
      ++i;
      ++j;
      continue;
    }
    LineChange change{i, j, 0, 0};
    while (i < n1 && is_changed(changed1, i)) ++i;
    while (j < n2 && is_changed(changed2, j)) ++j;
    change.count1 = i - change.first1;
    change.count2 = j - change.first2;
    changes.push_back(change);
  }
  return changes;
}

}  // namespace tarn
