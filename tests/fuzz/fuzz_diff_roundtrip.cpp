// Comparison round trip: the input, split in two, gives a source and a
// target; applying the delta to the source must give the target byte for
// byte, and an "equal" result must mean they differ at most in a final
// separator.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "engine/diff/line_diff.h"
#include "engine/format/delta_format.h"
#include "engine/support/report.h"

namespace {

class SilentHost final : public tarn::Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return "no"; }
};

bool EqualUpToFinalSeparator(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                             std::uint8_t separator) {
  std::string x(a.begin(), a.end());
  std::string y(b.begin(), b.end());
  const char s = static_cast<char>(separator);
  if (!x.empty() && x.back() != s) x.push_back(s);
  if (!y.empty() && y.back() != s) y.push_back(s);
  return x == y;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SilentHost host;
  tarn::SetHost(&host);
  if (size < 3) return 0;
  // Byte 0 picks the separator (newline most of the time), byte 1 where the
  // input splits.
  const std::uint8_t separator = data[0] < 192 ? '\n' : data[0];
  const std::span<const std::uint8_t> rest(data + 2, size - 2);
  const std::size_t split = rest.size() * data[1] / 255;
  const auto source = rest.first(split);
  const auto target = rest.subspan(split);

  tarn::ByteBuffer delta;
  const int result = tarn::CompareBuffers(source, target, separator, delta);
  if (result == 0) {
    if (!delta.empty() || !EqualUpToFinalSeparator(source, target, separator)) std::abort();
    return 0;
  }
  if (result != 1) std::abort();
  tarn::ByteBuffer rebuilt;
  if (tarn::ApplyDelta(source, delta, rebuilt) != 1 || rebuilt.size() != target.size() ||
      !std::equal(rebuilt.begin(), rebuilt.end(), target.begin())) {
    std::abort();
  }
  return 0;
}
