#include "engine/diff/separator_choice.h"

#include <cmath>
#include <new>
#include <optional>

#include "engine/support/guarded_memory.h"
#include "engine/support/report.h"
#include "engine/support/whole_file.h"

namespace tarn {
namespace {

constexpr std::size_t kProgressEveryBytes = 500;
constexpr std::int64_t kMinMeanGap = 10;
constexpr std::int64_t kMaxGap = 1024;

struct RunningSpacing {
  std::int64_t count = 0;
  std::int64_t last = -1;
  std::int64_t max_gap = 0;
  // A 32-bit sum that stops growing once it has wrapped negative, as the
  // format's statistics always have; only files past 2 GB ever reach it.
  std::int32_t sum_of_gaps = 0;
  float float_sum = 0.0f;
  float float_squares = 0.0f;
};

std::int32_t AddWrapping(std::int32_t sum, std::int64_t gap) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) +
                                   static_cast<std::uint32_t>(gap));
}

bool CountInRange(std::int64_t count, std::int64_t size) {
  return count >= size / 1024 && count <= size / 10;
}

}  // namespace

std::array<ByteSpacing, 256> MeasureByteSpacing(std::span<const std::uint8_t> data,
                                                DiffProgress& progress) {
  std::array<RunningSpacing, 256> running{};
  for (std::size_t block = 0; block < data.size(); block += kProgressEveryBytes) {
    const std::size_t end = std::min(data.size(), block + kProgressEveryBytes);
    for (std::size_t i = block; i < end; ++i) {
      RunningSpacing& value = running[data[i]];
      const auto position = static_cast<std::int64_t>(i);
      const std::int64_t gap = position - value.last;
      if (gap > value.max_gap) value.max_gap = gap;
      if (value.sum_of_gaps >= 0) value.sum_of_gaps = AddWrapping(value.sum_of_gaps, gap);
      const auto float_gap = static_cast<float>(gap);
      value.float_sum += float_gap;
      value.float_squares += float_gap * float_gap;
      ++value.count;
      value.last = position;
    }
    progress.Step();
  }

  std::array<ByteSpacing, 256> spacing{};
  for (std::size_t v = 0; v < 256; ++v) {
    const RunningSpacing& value = running[v];
    ByteSpacing& result = spacing[v];
    result.count = value.count;
    result.max_gap = value.max_gap;
    if (value.count < 2) continue;
    result.mean_gap = value.sum_of_gaps / value.count;
    const auto count = static_cast<float>(value.count);
    const float variance =
        (value.float_squares - value.float_sum * value.float_sum / count) / (count - 1.0f);
    // Rounding can leave a tiny negative variance where all gaps are equal.
    result.deviation = variance > 0.0f ? std::sqrt(variance) : 0.0f;
  }
  return spacing;
}

std::uint8_t ChooseSeparatorFor(std::span<const std::uint8_t> data, DiffProgress& progress) {
  const std::array<ByteSpacing, 256> spacing = MeasureByteSpacing(data, progress);
  const auto size = static_cast<std::int64_t>(data.size());

  std::array<bool, 256> candidate{};
  for (std::size_t v = 0; v < 256; ++v) {
    candidate[v] = spacing[v].mean_gap >= kMinMeanGap && spacing[v].mean_gap <= kMaxGap;
  }
  while (true) {
    std::optional<std::size_t> best;
    for (std::size_t v = 0; v < 256; ++v) {
      if (candidate[v] && (!best || spacing[v].deviation < spacing[*best].deviation)) best = v;
    }
    if (!best) break;
    if (CountInRange(spacing[*best].count, size)) return static_cast<std::uint8_t>(*best);
    candidate[*best] = false;
  }

  for (std::size_t v = 0; v < 256; ++v) {
    if (CountInRange(spacing[v].count, size)) return static_cast<std::uint8_t>(v);
  }
  std::size_t most_frequent = 0;
  for (std::size_t v = 1; v < 256; ++v) {
    if (spacing[v].count > spacing[most_frequent].count) most_frequent = v;
  }
  if (spacing[most_frequent].max_gap < kMaxGap) return static_cast<std::uint8_t>(most_frequent);
  for (std::size_t v = 0; v < 256; ++v) {
    if (spacing[v].max_gap < kMaxGap && spacing[v].count > 1) return static_cast<std::uint8_t>(v);
  }
  return static_cast<std::uint8_t>(most_frequent);
}

int ChooseSeparator(const std::string& path, std::uint8_t& separator, DiffProgress& progress) {
  struct Finish {
    DiffProgress& progress;
    ~Finish() { progress.Finished(); }
  } finish{progress};
  Report(kStatus, msg::kChoosingSeparator);
  try {
    ByteBuffer data;
    if (ReadWholeFileOrReport(path, data) != 1) return -1;
    separator = ChooseSeparatorFor(data, progress);
    return 1;
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    ReportFault(msg::kOutOfMemory);
  }
  return -1;
}

}  // namespace tarn
