// MFI load and save against zlib alone: "x_inflate" is the load's time over that of
// unpacking the same tracks, "x_deflate" the save's (every track changed, so packed anew)
// over that of packing the entries the save writes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>

#include "core/host_file_io.h"
#include "core/image_container.h"
#include "core/mfi_file.h"
#include "support/bench_images.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The entries of every track of FILE, unpacked by zlib; the time it took.
double inflate_all(const std::vector<std::uint8_t>& file, std::vector<std::vector<std::uint8_t>>& out) {
  const auto t0 = Clock::now();
  out.resize(160);
  for (int t = 0; t < 160; ++t) {
    const std::uint8_t* e = &file[32 + 16 * t];
    out[t].resize(get_le32(e + 8));
    uLongf size = out[t].size();
    uncompress(out[t].data(), &size, &file[get_le32(e)], get_le32(e + 4));
  }
  return seconds_since(t0);
}

void BM_MfiLoad(benchmark::State& state) {
  const std::string path = bench::random_image(ITM800);
  auto md = bench::medium(std::filesystem::path(path).filename().string(), ITM800);
  std::vector<std::uint8_t> file;
  read_file(path, file);
  std::vector<std::vector<std::uint8_t>> entries;
  double zlib = 0, work = 0;
  for (auto _ : state) {
    zlib += inflate_all(file, entries);
    const auto t0 = Clock::now();
    FC_LOADMEDIA(*md);
    const double t = seconds_since(t0);
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty()) state.SkipWithError("core reported an error");
  state.counters["x_inflate"] = work / zlib;
}

void BM_MfiSave(benchmark::State& state) {
  const std::string path = bench::random_image(ITM800);
  auto md = bench::medium(std::filesystem::path(path).filename().string(), ITM800);
  FC_LOADMEDIA(*md);
  double zlib = 0, work = 0;
  int round = 0;
  for (auto _ : state) {
    for (int t = 0; t < 160; ++t) md->MASS[t][3][0] = static_cast<std::uint8_t>(++round);
    const auto t0 = Clock::now();
    FC_SAVEMEDIA(*md, false);
    const double t = seconds_since(t0);
    work += t;
    state.SetIterationTime(t);
    std::vector<std::uint8_t> file;
    read_file(path, file);
    std::vector<std::vector<std::uint8_t>> entries;
    inflate_all(file, entries);
    const auto z0 = Clock::now();
    for (const auto& e : entries) {
      std::vector<std::uint8_t> packed(compressBound(e.size()));
      uLongf size = packed.size();
      compress(packed.data(), &size, e.data(), e.size());
      benchmark::DoNotOptimize(packed);
    }
    zlib += seconds_since(z0);
  }
  if (!FC_CRITICALERRORBUFFER.empty()) state.SkipWithError("core reported an error");
  state.counters["x_deflate"] = work / zlib;
}

BENCHMARK(BM_MfiLoad)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MfiSave)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
