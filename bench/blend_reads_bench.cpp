// Speed of blending 20 reads of one 800 KB disk in the AIM form, each with two tracks of its
// own that do not decode, as a ratio to decoding the same 20 files through the core's load in
// the same run (counter "x_decode"; "x_decode_cpu" in processor time).

#include <fstream>
#include <random>

#include "core/blend_reads.h"
#include "core/file_control_messages.h"
#include "support/bench_images.h"

namespace {

using namespace agat;

constexpr int kReads = 20;

std::vector<std::string> make_reads() {
  std::mt19937 rng(20261207);
  std::vector<TTRACK> tracks(IMAGEDESC[ITA800].NTR + 1);
  for (auto& track : tracks)
    for (auto& sector : track)
      for (auto& b : sector) b = static_cast<std::uint8_t>(rng());
  const std::vector<std::uint8_t> good = image_file_bytes(ITA800, tracks);
  const std::size_t record = image_record_size(ITA800);
  std::vector<std::string> names;
  for (int k = 0; k < kReads; ++k) {
    std::vector<std::uint8_t> read = good;
    for (const int t : {3 * k, 3 * k + 1}) std::fill_n(read.begin() + t * record, record, 0xFF);
    names.push_back((bench::bench_dir() / ("read" + std::to_string(k) + ".aim")).string());
    std::ofstream(names.back(), std::ios::binary)
        .write(reinterpret_cast<const char*>(read.data()), static_cast<std::streamsize>(read.size()));
  }
  return names;
}

void decode_all(const std::vector<std::string>& names, TMEDIA& md) {
  for (const std::string& name : names) {
    md.IMAGENAME = name;
    FC_LOADMEDIA(md);
    benchmark::DoNotOptimize(md.MASS[0][0][0]);
  }
}

void BM_BlendReads(benchmark::State& state) {
  const std::vector<std::string> names = make_reads();
  const std::string output = (bench::bench_dir() / "blend.aim").string();
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  set_geometry(*md, ITA800);
  md->IMAGET = ITA800;
  constexpr int kBaseRuns = 5;
  double base = 0, base_cpu = 0, total = 0, total_cpu = 0;
  for (auto _ : state) {
    const auto b0 = std::chrono::steady_clock::now();
    const double c0 = bench::cpu_seconds();
    for (int i = 0; i < kBaseRuns; ++i) decode_all(names, *md);
    base += std::chrono::duration<double>(std::chrono::steady_clock::now() - b0).count() / kBaseRuns;
    base_cpu += (bench::cpu_seconds() - c0) / kBaseRuns;

    const auto t0 = std::chrono::steady_clock::now();
    const double c1 = bench::cpu_seconds();
    std::vector<BlendRead> reads;
    BlendResult result;
    const int status = blend_files(names, std::nullopt, output, true, reads, result);
    benchmark::DoNotOptimize(blend_report_lines(reads, result));
    total_cpu += bench::cpu_seconds() - c1;
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(t);
    total += t;
    if (status == 1 || status == 2) {
      state.SkipWithError(FC_CRITICALERRORBUFFER.c_str());
      break;
    }
  }
  state.counters["x_decode"] = total / base;
  state.counters["x_decode_cpu"] = total_cpu / base_cpu;
}

BENCHMARK(BM_BlendReads)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
