// Opening a WOZ image against opening the 140 KB nibble image of the same disk, measured in
// the same loop. The "x_nib140" counter is the ratio: WOZ load time divided by nibble load time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "support/bench_images.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

double timed_load(TMEDIA& md) {
  const auto t0 = Clock::now();
  FC_LOADMEDIA(md);
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_WozLoad(benchmark::State& state) {
  // The same random disk in both forms: the nibble image's sectors saved as a WOZ file.
  const std::string nib = bench::random_image(ITN140);
  auto nib_md = bench::medium(std::filesystem::path(nib).filename().string(), ITN140);
  FC_LOADMEDIA(*nib_md);
  auto woz_md = bench::medium("random.woz", ITW140);
  woz_md->MASS = nib_md->MASS;
  std::filesystem::remove(bench::bench_dir() / "random.woz");  // the run before made one
  FC_SAVEMEDIA(*woz_md, true);
  double nib_time = 0, woz_time = 0;
  for (auto _ : state) {
    nib_time += timed_load(*nib_md);
    const double t = timed_load(*woz_md);
    woz_time += t;
    state.SetIterationTime(t);
  }
  bool same = FC_CRITICALERRORBUFFER.empty();
  for (int t = 0; t <= nib_md->NUMTR; ++t)
    same = same && std::equal(nib_md->MASS[t].begin(), nib_md->MASS[t].begin() + 16,
                              woz_md->MASS[t].begin());
  if (!same) state.SkipWithError("the WOZ image does not load as the nibble image");
  state.counters["x_nib140"] = woz_time / nib_time;
}

BENCHMARK(BM_WozLoad)->Name("WozLoad")->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
