// Compression and expansion throughput on the project's own source text.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "engine/format/compression.h"

namespace tarn::bench {
namespace {

const Text& SourceText() {
  static const Text text = ProjectSources();
  return text;
}

void BM_Compress(benchmark::State& state) {
  const Text& raw = SourceText();
  std::size_t block_size = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ByteBuffer data(raw.begin(), raw.end());
    state.ResumeTiming();
    if (Compress(data) != 1) state.SkipWithError("source text did not compress");
    block_size = data.size();
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(raw.size()));
  state.counters["raw_bytes"] = static_cast<double>(raw.size());
  state.counters["ratio"] = static_cast<double>(block_size) / static_cast<double>(raw.size());
}
BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond);

void BM_Expand(benchmark::State& state) {
  const Text& raw = SourceText();
  ByteBuffer block(raw.begin(), raw.end());
  if (Compress(block) != 1) {
    state.SkipWithError("source text did not compress");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    ByteBuffer data(block.begin(), block.end());
    state.ResumeTiming();
    if (Expand(data) != 1) state.SkipWithError("expansion failed");
    benchmark::DoNotOptimize(data.data());
  }
  // Throughput in raw (expanded) bytes.
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(raw.size()));
}
BENCHMARK(BM_Expand)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
