// Speed of blend over 50 reads of one disk, each with about 5% bad sectors, as a ratio to
// plainly reading the same 50 files in the same run (counter "x_read" of BM_Blend; in
// processor time "x_read_cpu").

#include <fcntl.h>
#include <stdlib.h>  // mkdtemp
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "support/cpu_time.h"

int blend_main(std::FILE* out);

namespace {

namespace fs = std::filesystem;

constexpr int kReads = 50;
constexpr std::size_t kSize = 143360;
constexpr int kSectors = 560;

// A directory with 50 reads of one random disk; in each read every sector is bad (256 bytes
// $BD) with a chance of 5%, so that all of them can be repaired from the others.
struct Reads {
  Reads() {
    std::string tmpl = (fs::temp_directory_path() / "blend_bench.XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    dir = tmpl;
    std::mt19937 rng(20240601);
    std::vector<char> disk(kSize);
    for (char& c : disk) c = static_cast<char>(rng());
    std::bernoulli_distribution bad(0.05);
    for (int k = 0; k < kReads; ++k) {
      std::vector<char> read = disk;
      for (int n = 0; n < kSectors; ++n) {
        if (bad(rng)) std::fill_n(read.begin() + n * 256, 256, static_cast<char>(0xBD));
      }
      names.push_back((dir / ("read" + std::to_string(k) + ".dsk")).string());
      std::ofstream(names.back(), std::ios::binary).write(read.data(), kSize);
    }
  }
  ~Reads() { fs::remove_all(dir); }

  fs::path dir;
  std::vector<std::string> names;
};

Reads& TheReads() {
  static Reads reads;
  return reads;
}

// The plain cost: open, read and close every file, as blend must at least do.
void ReadAll(const Reads& reads, std::vector<char>& buf) {
  for (const auto& name : reads.names) {
    const int fd = ::open(name.c_str(), O_RDONLY);
    std::size_t got = 0;
    for (ssize_t r; got < kSize && (r = ::read(fd, buf.data() + got, kSize - got)) > 0;) got += r;
    ::close(fd);
    benchmark::DoNotOptimize(buf.data());
  }
}

void BM_ReadFiles(benchmark::State& state) {
  const Reads& reads = TheReads();
  std::vector<char> buf(kSize);
  for (auto _ : state) ReadAll(reads, buf);
  state.SetBytesProcessed(state.iterations() * kReads * static_cast<std::int64_t>(kSize));
}

void BM_Blend(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const Reads& reads = TheReads();
  const fs::path home = fs::current_path();
  fs::current_path(reads.dir);
  std::FILE* devnull = std::fopen("/dev/null", "w");

  // The baseline, measured in this run: the mean of plain reads of the same files.
  std::vector<char> buf(kSize);
  constexpr int kBaseRuns = 50;
  const auto b0 = Clock::now();
  const double c0 = agat::bench::cpu_seconds();
  for (int i = 0; i < kBaseRuns; ++i) ReadAll(reads, buf);
  const double base = std::chrono::duration<double>(Clock::now() - b0).count() / kBaseRuns;
  const double base_cpu = (agat::bench::cpu_seconds() - c0) / kBaseRuns;

  double total = 0, total_cpu = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const double c1 = agat::bench::cpu_seconds();
    if (blend_main(devnull) != 0) {
      state.SkipWithError("blend failed");
      break;
    }
    total_cpu += agat::bench::cpu_seconds() - c1;
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    state.SetIterationTime(t);
    total += t;
    // The next run must see the same 50 reads: remove what this one wrote.
    for (const auto& e : fs::directory_iterator(reads.dir)) {
      if (e.path().extension() == ".rep") fs::remove(e.path());
    }
  }
  state.counters["x_read"] = total / static_cast<double>(state.iterations()) / base;
  state.counters["x_read_cpu"] = total_cpu / static_cast<double>(state.iterations()) / base_cpu;
  state.SetBytesProcessed(state.iterations() * kReads * static_cast<std::int64_t>(kSize));
  std::fclose(devnull);
  fs::current_path(home);
}

BENCHMARK(BM_ReadFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blend)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
