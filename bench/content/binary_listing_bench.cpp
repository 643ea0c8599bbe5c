// The listing of a binary file (the disassembly that the viewer and `agatdisk view`
// show) built from a host ".FIL" file just under the file buffer, against loading the
// same file with FC_LOAD in the same loop ("x_load"). A B file lists the code its head
// names (at most 64 KB); a raw file is listed whole, up to the end of the report buffer.
// Both are timed in the thread's processor time (user and system), which other programs
// on a busy machine do not inflate as they do wall-clock time.
#include <benchmark/benchmark.h>

#include <time.h>

#include <memory>
#include <random>

#include "content/exec_proc.h"
#include "core/cp1251.h"
#include "support/bench_images.h"

namespace {

using namespace agat;

double thread_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A ".FIL" file of type TYPE holding MAXFILESIZE - 1 bytes of random code (one byte
// less than the load reports as too large), a B head naming 64 KB of code at $0800.
TCATREC fil_file(TMEDIA& host, std::uint8_t type) {
  static TFILEBUF buf;
  std::mt19937 rng(7);
  for (auto& b : buf) b = static_cast<std::uint8_t>(rng());
  buf[0] = 0x00, buf[1] = 0x08, buf[2] = 0xFF, buf[3] = 0xFF;
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  cr.PMEDIA = &host;
  cr.AGATNAME = HOST2AGATFNAME("CODE");
  cr.EXT = type;
  cr.SIZE = MAXFILESIZE - 1;
  cr.HOSTNAME = "CODE" + std::to_string(type) + ".FIL";
  FC_SAVE(cr, buf, host, false);
  return cr;
}

void BM_BinaryListing(benchmark::State& state) {
  const auto fmt = static_cast<TFILEFORMAT>(state.range(0));
  auto host = std::make_unique<TMEDIA>();
  host->MEDIAT = MDHOSTFS;
  host->HOSTPATH = bench::bench_dir().string() + "/";
  TCATREC cr = fil_file(*host, fmt == FFBINARY ? 0x04 : 0x01);
  static TFILEBUF buf;
  TextReport report;
  double load = 0, work = 0;
  for (auto _ : state) {
    double t0 = thread_seconds();
    FC_LOAD(cr, buf);
    load += thread_seconds() - t0;
    t0 = thread_seconds();
    binary_listing(report, cr, buf, fmt);
    const double t = thread_seconds() - t0;
    benchmark::DoNotOptimize(report.size());
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty() || cr.SIZE != MAXFILESIZE - 1)
    state.SkipWithError(cp1251_to_utf8(FC_CRITICALERRORBUFFER).c_str());
  state.counters["x_load"] = work / load;
  state.counters["report_bytes"] = report.size();
  state.SetLabel(fmt == FFBINARY ? "B file, 64 KB of code" : "raw file");
}

BENCHMARK(BM_BinaryListing)
    ->Name("BinaryListing")
    ->Arg(FFBINARY)
    ->Arg(FFASIS)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
