// Load and save of every image form, each against the plain cost of reading the same
// file's bytes into memory, measured in the same loop. The "x_raw" counter is the
// ratio: load (or save) time divided by raw read time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "support/bench_images.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

template <bool Save>
void BM_ImageFile(benchmark::State& state) {
  const auto type = static_cast<TIMAGET>(state.range(0));
  const std::string path = bench::random_image(type);
  auto md = bench::medium(std::filesystem::path(path).filename().string(), type);
  FC_LOADMEDIA(*md);
  std::vector<char> buf(static_cast<std::size_t>(IMAGEDESC[type].FULLSIZE));
  double raw = 0, work = 0;
  for (auto _ : state) {
    raw += bench::raw_read(path, buf);
    const auto t0 = Clock::now();
    if (Save) {
      FC_SAVEMEDIA(*md, false);
    } else {
      FC_LOADMEDIA(*md);
    }
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty()) state.SkipWithError("core reported an error");
  state.counters["x_raw"] = work / raw;
  state.SetLabel(std::string(IMAGEDESC[type].SHNAME) + " " +
                 std::to_string(IMAGEDESC[type].FULLSIZE));
}

void all_forms(benchmark::internal::Benchmark* b) {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) b->Arg(t);
  b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ImageFile<false>)->Name("Load")->Apply(all_forms);
BENCHMARK(BM_ImageFile<true>)->Name("Save")->Apply(all_forms);

}  // namespace

BENCHMARK_MAIN();
