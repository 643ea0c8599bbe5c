// The largest picture the window shows, 512 x 512 screen pixels: a 64-column text screen
// (512 x 256, pixels of 2:3) and an HGR9 screen (the same size and shape), each decoded into
// the frame and scaled to the window's colours as on a 1024 x 768 display (1 x 2 a pixel),
// against copying the 512 x 512 frame once in the same loop ("x_copy"). Both are timed in the
// thread's processor time, which other processes on the machine do not inflate.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <memory>
#include <vector>

#include "content/graph_modes.h"
#include "content/graph_proc.h"
#include "platform/graph_scale.h"
#include "platform/picture.h"

namespace {

using namespace agat;
// The processor time of this thread, in seconds.
double thread_seconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_DecodeAndScale(benchmark::State& state) {
  const auto mode = static_cast<TFILEGFORMAT>(state.range(0));
  const std::uint16_t size = mode == FGFHGR9 ? 16384 : 2048;
  auto buf = std::make_unique<TFILEBUF>();
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  cr.EXT = 0x04;
  cr.SIZE = 4 + size;
  (*buf)[1] = 0x20;
  put_le16(&(*buf)[2], size);
  for (int i = 0; i < size; ++i) (*buf)[4 + i] = static_cast<std::uint8_t>(i * 37 + 11);
  auto frame = std::make_unique<TGRAPHSCREEN>();
  auto copy = std::make_unique<TGRAPHSCREEN>();
  std::vector<std::uint32_t> window(512 * 512);
  double copying = 0, work = 0;
  for (auto _ : state) {
    double t0 = thread_seconds();
    std::memcpy(copy->P.data(), frame->P.data(), frame->P.size());
    benchmark::DoNotOptimize(copy->P.data());
    copying += thread_seconds() - t0;

    t0 = thread_seconds();
    const TGRAPHVIEW v = gp_render(cr, *buf, FFBINGRAF, *frame, mode);
    const GraphScale s = CALC_SCALE(v.W, v.H, v.PSW, v.PSH, 1024 - 20, 768 - 80);
    const Picture p{frame->P.data(), SCRSIDE, v.W, v.H, v.PSW, v.PSH};
    scale_rgb_into(p, s.SCALEX, s.SCALEY, window.data(), 512);
    benchmark::DoNotOptimize(window.data());
    const double t = thread_seconds() - t0;
    work += t;
    state.SetIterationTime(t);
  }
  state.counters["x_copy"] = work / copying;
  state.SetLabel(FGFDESC[mode].NM);
}

}  // namespace

BENCHMARK(BM_DecodeAndScale)
    ->Arg(FGFTEXT64N)
    ->Arg(FGFHGR9)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
