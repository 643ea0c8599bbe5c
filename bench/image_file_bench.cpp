// Load and save of every image form, each against the plain cost of reading the same
// file's bytes into memory, measured in the same loop. The "x_raw" counter is the
// ratio: load (or save) time divided by raw read time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include "core/file_control.h"
#include "core/nibble_140.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

std::filesystem::path bench_dir() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "agat-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] { std::filesystem::remove_all(bench_dir()); });
    return std::filesystem::path(pattern);
  }();
  return dir;
}

// An image of the given form with random sectors; AIM images are built from cells.
std::string make_image(TIMAGET type) {
  const std::string name = "img" + std::to_string(type);
  const std::string path = (bench_dir() / name).string();
  if (std::filesystem::exists(path)) return path;
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = bench_dir().string() + "/";
  md->IMAGENAME = name;
  set_geometry(*md, type);
  std::mt19937 rng(1);
  for (auto& track : md->MASS)
    for (auto& sector : track)
      for (auto& b : sector) b = static_cast<std::uint8_t>(rng());
  if (type == ITA800) {
    // A track of 21 fields, each address and data field with its marks, then the end cell.
    std::vector<std::uint8_t> file;
    for (int t = 0; t <= 159; ++t) {
      std::vector<std::uint16_t> cells;
      for (int s = 0; s <= 20; ++s) {
        cells.insert(cells.end(), 10, 0xFF);
        cells.insert(cells.end(), {0x100, 0x95, 0x6A, 0xFE, static_cast<std::uint16_t>(t),
                                   static_cast<std::uint16_t>(s), 0x5A});
        cells.insert(cells.end(), 10, 0xFF);
        cells.insert(cells.end(), {0x100, 0x6A, 0x95});
        cells.insert(cells.end(), 256, 0);
        cells.insert(cells.end(), {0, 0x5A});
      }
      cells.push_back(0x200);
      cells.resize(6464, 0);
      for (std::uint16_t c : cells) file.push_back(c & 0xFF), file.push_back(c >> 8);
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    FC_SAVEMEDIA(*md, false);  // fills data and checksums in place
  } else {
    std::ofstream(path, std::ios::binary)
        .write(std::string(static_cast<std::size_t>(IMAGEDESC[type].FULLSIZE), '\0').data(),
               IMAGEDESC[type].FULLSIZE);
    FC_SAVEMEDIA(*md, false);
  }
  if (!FC_CRITICALERRORBUFFER.empty()) std::abort();
  return path;
}

double raw_read(const std::string& path, std::vector<char>& buf) {
  const auto t0 = Clock::now();
  std::ifstream in(path, std::ios::binary);
  in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
  benchmark::DoNotOptimize(buf.data());
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

template <bool Save>
void BM_ImageFile(benchmark::State& state) {
  const auto type = static_cast<TIMAGET>(state.range(0));
  const std::string path = make_image(type);
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = bench_dir().string() + "/";
  md->IMAGENAME = std::filesystem::path(path).filename().string();
  set_geometry(*md, type);
  FC_LOADMEDIA(*md);
  std::vector<char> buf(static_cast<std::size_t>(IMAGEDESC[type].FULLSIZE));
  double raw = 0, work = 0;
  for (auto _ : state) {
    raw += raw_read(path, buf);
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
  state.SetLabel(std::string(IMAGEDESC[type].SHNAME) + " " + std::to_string(IMAGEDESC[type].FULLSIZE));
}

void all_forms(benchmark::internal::Benchmark* b) {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) b->Arg(t);
  b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ImageFile<false>)->Name("Load")->Apply(all_forms);
BENCHMARK(BM_ImageFile<true>)->Name("Save")->Apply(all_forms);

}  // namespace

BENCHMARK_MAIN();
