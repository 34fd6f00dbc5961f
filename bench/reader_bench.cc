// The reader alone, against the formatted read of one record at a time that
// it replaces, on the same file in the same run. The data sets are those of
// make_bench_data: 1024 x 1024 grey records (about 18 MB) and 512 x 512
// colour records; both are written once to a temporary file and then read
// from the page cache.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <string>

#include "bench_data.h"
#include "engine/sample_set.h"
#include "scanf_reader.h"

namespace plotmere {
namespace {

SampleSet& Arrays() {
  static SampleSet* set = [] {
    auto* s = new SampleSet;
    if (!AllocateSampleArrays(s)) abort();
    return s;
  }();
  return *set;
}

void Run(benchmark::State& state, const std::string& path, bool scanf) {
  SampleSet& set = Arrays();
  int64_t bytes = 0, records = 0;
  for (auto _ : state) {
    FILE* file = fopen(path.c_str(), scanf ? "r" : "rb");
    if (file == nullptr) {
      state.SkipWithError("cannot open the data file");
      return;
    }
    ResetForFile(&set, file);
    ChooseMode(&set);
    if (scanf) {
      bench::ScanfReadSamples(&set);
    } else if (!ReadSamples(&set)) {
      state.SkipWithError("read error");
    }
    bytes += static_cast<int64_t>(ftell(file));
    fclose(file);
    records += set.count;
    benchmark::DoNotOptimize(set.width);
    benchmark::DoNotOptimize(set.maxValue);
  }
  state.SetBytesProcessed(bytes);
  state.SetItemsProcessed(records);
}

void BM_ReadGrey(benchmark::State& state) {
  Run(state, bench::DataFile("grey", 1024), false);
}
void BM_ScanfGrey(benchmark::State& state) {
  Run(state, bench::DataFile("grey", 1024), true);
}
void BM_ReadRgb(benchmark::State& state) {
  Run(state, bench::DataFile("rgb", 512), false);
}
void BM_ScanfRgb(benchmark::State& state) {
  Run(state, bench::DataFile("rgb", 512), true);
}

BENCHMARK(BM_ReadGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanfGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanfRgb)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plotmere

BENCHMARK_MAIN();
