// Rebuilding the oldest of 200 trunk revisions of a 2,000-line file, 1% of
// its lines changed per revision: the tip's text and 199 reverse deltas.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "bench/bench_data.h"
#include "engine/diff/line_diff.h"
#include "engine/format/revision_header.h"
#include "engine/store/revision_rebuild.h"
#include "engine/support/report.h"
#include "platform/file.h"

namespace tarn::bench {
namespace {

class SilentHost final : public Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return "no"; }
};

constexpr int kRevisions = 200;

// Writes the revision records alone (no logfile header in front: the walk
// starts at the first record) and returns the oldest text.
Text WriteTrunk(const std::string& path) {
  std::mt19937_64 random(3);
  std::vector<std::string> lines;
  for (int i = 0; i < 2000; ++i) lines.push_back(SourceLikeLine(random));
  std::vector<Text> texts;  // oldest first
  for (int r = 0; r < kRevisions; ++r) {
    for (int e = 0; e < 20; ++e) lines[random() % lines.size()] = SourceLikeLine(random);
    Text text;
    for (const auto& line : lines) {
      text.insert(text.end(), line.begin(), line.end());
      text.push_back('\n');
    }
    texts.push_back(std::move(text));
  }
  std::optional<platform::File> out =
      platform::File::Open(path, platform::OpenMode::kWriteTruncate);
  for (int r = kRevisions - 1; r >= 0; --r) {
    ByteBuffer data;
    if (r == kRevisions - 1) {
      data.assign(texts[static_cast<std::size_t>(r)].begin(),
                  texts[static_cast<std::size_t>(r)].end());
    } else {
      CompareBuffers(texts[static_cast<std::size_t>(r) + 1], texts[static_cast<std::size_t>(r)],
                     '\n', data);
    }
    tRevHdr header;
    header.major = 1;
    header.minor = static_cast<std::int16_t>(r + 1);
    header._cTip = r == kRevisions - 1 ? 1 : 0;
    header.RevSize = static_cast<std::uint32_t>(data.size());
    out->WriteAll(EncodeRevisionHeader(header));
    out->WriteAll(data);
  }
  out->Close();
  return texts.front();
}

void BM_RebuildOldestOf200(benchmark::State& state) {
  SilentHost host;
  Host* previous = SetHost(&host);
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tarn-bench-" + std::to_string(::getpid())))
          .string();
  const Text oldest = WriteTrunk(path);
  std::optional<platform::File> logfile = platform::File::Open(path, platform::OpenMode::kRead);
  tarnCommandRevDesc wanted;
  wanted.iElementCount = 1;
  wanted.elements[0].iMajor = 1;
  wanted.elements[0].iMinor = 1;
  for (auto _ : state) {
    ByteBuffer text;
    if (RebuildRevisionText(*logfile, 0, wanted, text) != 1 ||
        !std::equal(text.begin(), text.end(), oldest.begin(), oldest.end())) {
      state.SkipWithError("rebuild failed");
    }
    benchmark::DoNotOptimize(text.data());
  }
  std::filesystem::remove(path);
  SetHost(previous);
}
BENCHMARK(BM_RebuildOldestOf200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
