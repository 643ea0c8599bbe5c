// Disk images for the benchmarks, in a temporary directory removed at exit, and the plain
// read of a file that every cost is compared with.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/file_control.h"
#include "core/host_names.h"
#include "core/image_build.h"
#include "support/cpu_time.h"

namespace agat::bench {

// The directory lives as long as the program; it goes with everything in it at exit.
class BenchDir {
 public:
  BenchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "agat-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~BenchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline const std::filesystem::path& bench_dir() {
  static const BenchDir dir;
  return dir.path();
}

inline std::unique_ptr<TMEDIA> medium(const std::string& name, TIMAGET type) {
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = bench_dir().string() + "/";
  md->IMAGENAME = name;
  set_geometry(*md, type);
  return md;
}

// An existing file of the image's form whose sectors all read as zeros (track records
// encoded from zero sectors, the plain forms all zero), ready to be saved over: a save
// never writes a sector that the file holds unreadable.
inline void make_blank_file(const std::string& name, TIMAGET type) {
  const std::vector<TTRACK> tracks(MAXTRACK + 1u, TTRACK{});
  const std::vector<std::uint8_t> file = image_file_bytes(type, tracks);
  std::ofstream((bench_dir() / name).string(), std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// An image of the form with random sectors.
inline std::string random_image(TIMAGET type) {
  const std::string name = "random" + std::to_string(type);
  make_blank_file(name, type);
  auto md = medium(name, type);
  std::mt19937 rng(1);
  for (auto& track : md->MASS)
    for (auto& sector : track)
      for (auto& b : sector) b = static_cast<std::uint8_t>(rng());
  FC_SAVEMEDIA(*md, false);
  if (!FC_CRITICALERRORBUFFER.empty()) std::abort();
  return (bench_dir() / name).string();
}

// An image of the form whose disk is full of small files: a long catalog.
// Made once; later calls (the benchmark library runs a benchmark more than once) reuse it.
inline std::string full_image(TIMAGET type) {
  const std::string name = "full" + std::to_string(type);
  if (std::filesystem::exists(bench_dir() / name)) return (bench_dir() / name).string();
  const bool big = IMAGEDESC[type].NTR == MAXTRACK;
  auto md = medium(name, big ? ITI800 : ITI140);
  FC_INITMEDIA(*md);
  FC_READCAT(*md);
  static TFILEBUF buf;
  for (int i = 0; FC_CRITICALERRORBUFFER.empty(); ++i) {
    TCATREC cr;
    cr.AGATNAME = HOST2AGATFNAME("FILE " + std::to_string(i));
    cr.EXT = static_cast<std::uint8_t>(i % 2 == 0 ? 0x04 : 0x00);
    cr.SIZE = 4 * 256;
    FC_SAVE(cr, buf, *md, false);
  }
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  FC_LOADMEDIA(*md);
  make_blank_file(name, type);
  set_geometry(*md, type);
  md->loaded_digest.reset();  // the sectors go into the new file of another form on purpose
  FC_SAVEMEDIA(*md, false);
  if (!FC_CRITICALERRORBUFFER.empty()) std::abort();
  return (bench_dir() / name).string();
}

// Seconds to read the whole file into memory, as the plain cost of its bytes.
inline double raw_read(const std::string& path, std::vector<char>& buf) {
  const auto t0 = std::chrono::steady_clock::now();
  std::ifstream in(path, std::ios::binary);
  in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
  benchmark::DoNotOptimize(buf.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Seconds to store `bytes` durably as the file `path`, the least a safe save must do: write
// them to a new file beside it, sync that file and rename it over `path`.
inline double durable_write(const std::string& path, const std::vector<char>& bytes) {
  const std::string copy = path + ".new";
  const auto t0 = std::chrono::steady_clock::now();
  const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const bool ok =
      fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
      ::fsync(fd) == 0 && ::close(fd) == 0 && std::rename(copy.c_str(), path.c_str()) == 0;
  if (!ok) std::abort();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace agat::bench
