// A panel reload (the catalog read, which loads the image, then the sort) of a full
// image in every form, and the save of a 100-sector file, each against a plain read of
// the image file's bytes in the same loop ("x_raw"; for the reload also in processor time,
// "x_raw_cpu", steadier on a shared machine); the save also against a durable write
// of the same bytes, a new file synced and renamed over another ("x_durable"), which is
// what any save that survives a crash must pay.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "core/cp1251.h"
#include "support/bench_images.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

void BM_Reload(benchmark::State& state) {
  const auto type = static_cast<TIMAGET>(state.range(0));
  const std::string path = bench::full_image(type);
  auto md = bench::medium(std::filesystem::path(path).filename().string(), type);
  md->CAT.SORTMODE = SMNAME;
  std::vector<char> buf(static_cast<std::size_t>(IMAGEDESC[type].FULLSIZE));
  double raw = 0, work = 0, raw_cpu = 0, work_cpu = 0;
  for (auto _ : state) {
    const double c0 = bench::cpu_seconds();
    raw += bench::raw_read(path, buf);
    const double c1 = bench::cpu_seconds();
    const auto t0 = Clock::now();
    FC_READCAT(*md);
    FC_SORTCAT(*md);
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    work_cpu += bench::cpu_seconds() - c1;
    raw_cpu += c1 - c0;
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty())
    state.SkipWithError(cp1251_to_utf8(FC_CRITICALERRORBUFFER).c_str());
  state.counters["entries"] = md->CAT.CATNUM;
  state.counters["x_raw"] = work / raw;
  state.counters["x_raw_cpu"] = work_cpu / raw_cpu;
  state.SetLabel(std::string(IMAGEDESC[type].SHNAME) + " " +
                 std::to_string(IMAGEDESC[type].FULLSIZE));
}

// Saving replaces the file of the same name, so every round frees and takes the same sectors.
void BM_Save100Sectors(benchmark::State& state) {
  const auto type = static_cast<TIMAGET>(state.range(0));
  // An empty disk in the form: a new image's sectors saved into a file of that form.
  const std::string name = "save" + std::to_string(type);
  bench::make_blank_file(name, type);
  auto md = bench::medium(name, type);
  auto fresh = bench::medium("fresh" + std::to_string(type),
                             IMAGEDESC[type].NTR == MAXTRACK ? ITI800 : ITI140);
  std::filesystem::remove(bench::bench_dir() / fresh->IMAGENAME);
  FC_INITMEDIA(*fresh);
  md->MASS = fresh->MASS;
  FC_SAVEMEDIA(*md, false);
  FC_READCAT(*md);
  const std::string path = (bench::bench_dir() / name).string();
  static TFILEBUF data;
  TCATREC cr;
  cr.AGATNAME = HOST2AGATFNAME("HUNDRED");
  cr.EXT = 0x04;
  cr.SIZE = 100 * 256;
  std::vector<char> buf(static_cast<std::size_t>(IMAGEDESC[type].FULLSIZE));
  const std::string durable_path = path + ".durable";
  double raw = 0, durable = 0, work = 0;
  for (auto _ : state) {
    raw += bench::raw_read(path, buf);
    durable += bench::durable_write(durable_path, buf);
    const auto t0 = Clock::now();
    FC_SAVE(cr, data, *md, false);
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty())
    state.SkipWithError(cp1251_to_utf8(FC_CRITICALERRORBUFFER).c_str());
  state.counters["x_raw"] = work / raw;
  state.counters["x_durable"] = work / durable;
  state.SetLabel(std::string(IMAGEDESC[type].SHNAME));
}

void all_forms(benchmark::internal::Benchmark* b) {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) b->Arg(t);
  b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Reload)->Name("Reload")->Apply(all_forms);
BENCHMARK(BM_Save100Sectors)->Name("Save100Sectors")->Apply(all_forms);

}  // namespace

BENCHMARK_MAIN();
