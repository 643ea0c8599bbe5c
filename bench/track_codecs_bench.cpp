// Throughput of the three track codecs, in bytes of track record decoded or encoded per
// second, beside the plain cost of reading the same records from a file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "core/aim_800.h"
#include "core/nibble_140.h"
#include "core/nibble_800.h"
#include "core/track_checksum.h"

namespace {

using namespace agat;

TTRACK random_track() {
  std::mt19937 rng(1);
  TTRACK t;
  for (auto& s : t) {
    for (auto& b : s) b = static_cast<std::uint8_t>(rng());
  }
  return t;
}

// A well-formed AIM record: 21 sectors with gaps, an end cell after them.
std::vector<std::uint8_t> aim_record(const TTRACK& t) {
  std::vector<std::uint16_t> cells;
  for (int s = 0; s <= MAXSECTOR; ++s) {
    cells.insert(cells.end(), 16, 0xFF);
    cells.insert(cells.end(), {0x100, 0x95, 0x6A, 0xFE, 0x10, static_cast<std::uint16_t>(s), 0x5A});
    cells.insert(cells.end(), 6, 0xFF);
    cells.insert(cells.end(), {0x100, 0x6A, 0x95});
    cells.insert(cells.end(), t[s].begin(), t[s].end());
    cells.insert(cells.end(), {CALCCRC(t[s]), 0x5A});
  }
  cells.push_back(0x200);
  cells.resize(AIM_TRACK_CELLS, 0);
  std::vector<std::uint8_t> record(ATRSIZE);
  for (std::size_t i = 0; i < cells.size(); ++i) put_le16(&record[2 * i], cells[i]);
  return record;
}

void BM_Nib140Decode(benchmark::State& state) {
  std::vector<std::uint8_t> record(NIB140_TRACK_SIZE);
  NIB_WRITE_TRACK140(std::span<std::uint8_t, NIB140_TRACK_SIZE>(record), 17, random_track());
  TTRACK B;
  for (auto _ : state) {
    NIB_READ_TRACK140(std::span<const std::uint8_t, NIB140_TRACK_SIZE>(record), 17, B);
    benchmark::DoNotOptimize(B);
  }
  state.SetBytesProcessed(state.iterations() * NIB140_TRACK_SIZE);
}

void BM_Nib140Encode(benchmark::State& state) {
  std::vector<std::uint8_t> record(NIB140_TRACK_SIZE);
  const TTRACK B = random_track();
  for (auto _ : state) {
    NIB_WRITE_TRACK140(std::span<std::uint8_t, NIB140_TRACK_SIZE>(record), 17, B);
    benchmark::DoNotOptimize(record.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * NIB140_TRACK_SIZE);
}

void BM_Nib800Decode(benchmark::State& state) {
  std::vector<std::uint8_t> record(NIB800_TRACK_SIZE);
  NIB_WRITE_TRACK800(std::span<std::uint8_t, NIB800_TRACK_SIZE>(record), 80, random_track());
  TTRACK B;
  for (auto _ : state) {
    NIB_READ_TRACK800(std::span<const std::uint8_t, NIB800_TRACK_SIZE>(record), 80, B);
    benchmark::DoNotOptimize(B);
  }
  state.SetBytesProcessed(state.iterations() * NIB800_TRACK_SIZE);
}

void BM_Nib800Encode(benchmark::State& state) {
  std::vector<std::uint8_t> record(NIB800_TRACK_SIZE);
  const TTRACK B = random_track();
  for (auto _ : state) {
    NIB_WRITE_TRACK800(std::span<std::uint8_t, NIB800_TRACK_SIZE>(record), 80, B);
    benchmark::DoNotOptimize(record.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * NIB800_TRACK_SIZE);
}

void BM_Aim800Decode(benchmark::State& state) {
  const TTRACK B0 = random_track();
  const std::vector<std::uint8_t> record = aim_record(B0);
  TTRACK B;
  for (auto _ : state) {
    AIM_READ_TRACK800(std::span<const std::uint8_t, ATRSIZE>(record), 0, B);
    benchmark::DoNotOptimize(B);
  }
  if (B != B0) state.SkipWithError("the AIM record did not decode");
  state.SetBytesProcessed(state.iterations() * ATRSIZE);
}

// An in-place update: the scan of the record is part of the cost.
void BM_Aim800Encode(benchmark::State& state) {
  const TTRACK B = random_track();
  std::vector<std::uint8_t> record = aim_record(B);
  for (auto _ : state) {
    AIM_WRITE_TRACK800(std::span<std::uint8_t, ATRSIZE>(record), 0, B);
    benchmark::DoNotOptimize(record.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * ATRSIZE);
}

// The reference: reading records of the given size one after another from a file of a
// whole image (160 records, from the page cache after the first pass).
void BM_FileRead(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  constexpr int kRecords = 160;
  std::FILE* f = std::tmpfile();
  if (f == nullptr) {
    state.SkipWithError("no temporary file");
    return;
  }
  std::vector<std::uint8_t> record(size, 0xA5);
  for (int i = 0; i < kRecords; ++i) std::fwrite(record.data(), 1, size, f);
  std::fflush(f);
  int i = kRecords;
  for (auto _ : state) {
    if (i == kRecords) {
      std::fseek(f, 0, SEEK_SET);
      i = 0;
    }
    if (std::fread(record.data(), 1, size, f) != size) state.SkipWithError("short read");
    benchmark::DoNotOptimize(record.data());
    ++i;
  }
  std::fclose(f);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

BENCHMARK(BM_Nib140Decode);
BENCHMARK(BM_Nib140Encode);
BENCHMARK(BM_Nib800Decode);
BENCHMARK(BM_Nib800Encode);
BENCHMARK(BM_Aim800Decode);
BENCHMARK(BM_Aim800Encode);
BENCHMARK(BM_FileRead)->Arg(NIB140_TRACK_SIZE)->Arg(NIB800_TRACK_SIZE)->Arg(ATRSIZE);

}  // namespace

BENCHMARK_MAIN();
