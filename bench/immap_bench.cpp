// The full analysis of the image map (every sector classified, the VTOC checked, every
// catalog and T/S chain walked) against loading the same image from its file, in the same
// loop ("x_load"), on full images of every 800 KB form and the 140 KB plain one.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "core/cp1251.h"
#include "core/immap.h"
#include "support/bench_images.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

double seconds_of(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_Analysis(benchmark::State& state) {
  const auto type = static_cast<TIMAGET>(state.range(0));
  const std::string path = bench::full_image(type);
  auto md = bench::medium(std::filesystem::path(path).filename().string(), type);
  TVTOCFAULTS faults;
  double load = 0, work = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    FC_LOADMEDIA(*md);
    load += seconds_of(t0);
    t0 = Clock::now();
    scan_map(*md, faults);
    const double t = seconds_of(t0);
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty())
    state.SkipWithError(cp1251_to_utf8(FC_CRITICALERRORBUFFER).c_str());
  if (!faults.empty()) state.SkipWithError("the full image's VTOC has faults");
  state.counters["x_load"] = work / load;
  state.SetLabel(std::string(IMAGEDESC[type].SHNAME));
}

BENCHMARK(BM_Analysis)
    ->Name("Analysis")
    ->Arg(ITA800)
    ->Arg(ITN800)
    ->Arg(ITI800)
    ->Arg(ITI140)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
