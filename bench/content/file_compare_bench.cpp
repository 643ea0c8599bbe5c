// The line-wise comparison of two 20,000-line texts, one pair that differs every 100 lines
// and one pair without a common line, each against splitting both texts into lines in the
// same loop ("x_split"). The nearest common line is found through an index of the lines,
// so neither case grows with the product of the two line counts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "content/text_compare.h"
#include "core/char_sets.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

constexpr int kLines = 20000;

// An Agat text of kLines lines of 30 characters; line N reads as FORMAT of N.
std::vector<std::uint8_t> text(const char* format, int changed_every = 0,
                               const char* changed = "") {
  std::vector<std::uint8_t> out;
  char line[64];
  for (int n = 0; n < kLines; ++n) {
    const bool change = changed_every != 0 && n % changed_every == changed_every / 2;
    std::snprintf(line, sizeof line, change ? changed : format, n);
    for (const char* c = line; *c != '\0'; ++c) out.push_back(L2A(static_cast<std::uint8_t>(*c)));
    out.push_back(0x8D);
  }
  return out;
}

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_TextCompare(benchmark::State& state) {
  const auto a = text("line %05d: the quick brown fox");
  const auto b = state.range(0) == 0
                     ? text("line %05d: the quick brown fox", 100, "line %05d: the quick brown cat")
                     : text("LINE %05d: THE QUICK BROWN FOX");
  TextReport R;
  double split = 0, work = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    benchmark::DoNotOptimize(GETLINES(a));
    benchmark::DoNotOptimize(GETLINES(b));
    split += seconds_since(t0);
    t0 = Clock::now();
    VV_INIT(R);
    benchmark::DoNotOptimize(TXT_CMP(R, a, b));
    const double t = seconds_since(t0);
    work += t;
    state.SetIterationTime(t);
  }
  state.counters["x_split"] = work / split;
  state.counters["report_bytes"] = R.size();
  state.SetLabel(state.range(0) == 0 ? "a difference every 100 lines" : "no common line");
}

BENCHMARK(BM_TextCompare)
    ->Name("TextCompare20000Lines")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
