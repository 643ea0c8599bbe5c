// Building the view of a file just under the file buffer as a BASIC listing and as a
// text, each against loading the same ".FIL" file in the same loop ("x_load"): the cost
// a user waits for after F3 beyond the load itself.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string>

#include "content/basic_proc.h"
#include "content/format_defines.h"
#include "content/text_proc.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/file_control.h"
#include "core/host_names.h"
#include "support/bench_images.h"

namespace {

using namespace agat;

// One byte under the largest file the load takes without a "too large" message.
constexpr std::int32_t kSize = MAXFILESIZE - 1;

std::string agat_codes(const std::string& utf8) {
  std::string cp;
  utf8_to_cp1251(utf8, cp);
  return L2A(cp);
}

// A program as large as a program can be: lines of statements, strings, numbers and
// long variables, the end link, a table of long names; the rest of the file is zeros.
void fill_program(TFILEBUF& buf) {
  buf.fill(0);
  const std::string text = agat_codes("\"ПРИВЕТ, МИР: ЭТО СТРОКА\":I=I+1");
  std::int32_t pos = 2;
  for (int number = 1; pos < 65000; ++number) {
    const std::int32_t start = pos;
    pos += 4;
    // PRINT, long variable 1, "+", long variable 261
    for (std::uint8_t code : {0xBA, 0x01, 0x01, 0xC8, 0x02, 0x05}) buf[pos++] = code;
    for (char c : text) buf[pos++] = static_cast<std::uint8_t>(c) ^ 0x80;
    buf[pos++] = 0x3A;
    buf[pos++] = 0xB2;  // REM
    for (char c : text) buf[pos++] = static_cast<std::uint8_t>(c) ^ 0x80;
    buf[pos++] = 0;
    buf[start] = 0x01;
    buf[start + 1] = 0x08;
    buf[start + 2] = static_cast<std::uint8_t>(number);
    buf[start + 3] = static_cast<std::uint8_t>(number >> 8);
  }
  pos += 2;  // the end link
  const std::int32_t table = pos;
  for (int i = 0; i < 300; ++i) {
    for (char c : "VAR" + std::to_string(i)) buf[pos++] = static_cast<std::uint8_t>(c);
    buf[pos - 1] |= 0x80;  // bit 7 ends a name
  }
  const std::int32_t length = pos - table;
  buf[pos++] = 0;
  buf[pos++] = static_cast<std::uint8_t>(length);
  buf[pos++] = static_cast<std::uint8_t>(length >> 8);
  buf[0] = static_cast<std::uint8_t>(pos);
  buf[1] = static_cast<std::uint8_t>(pos >> 8);
}

// Lines of Russian and Latin text up to the end of the file.
void fill_text(TFILEBUF& buf) {
  const std::string line = agat_codes("СТРОКА ТЕКСТА: THE QUICK BROWN FOX, 0123456789.") + "\x8D";
  for (std::int32_t i = 0; i < kSize; ++i)
    buf[i] = static_cast<std::uint8_t>(line[static_cast<std::size_t>(i) % line.size()]);
  buf[kSize - 1] = 0;
}

// A ".FIL" file of kSize bytes in the benchmarks' folder, as the panel of that folder
// would list it.
TCATREC fil_entry(TMEDIA& host, const std::string& name, std::uint8_t type, TFILEBUF& buf) {
  host.MEDIAT = MDHOSTFS;
  host.HOSTPATH = bench::bench_dir().string() + "/";
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  cr.PMEDIA = &host;
  cr.AGATNAME = HOST2AGATFNAME(name);
  cr.EXT = type;
  cr.SIZE = kSize;
  cr.HOSTNAME = name + ".FIL";
  FC_SAVE(cr, buf, host, false);
  return cr;
}

template <class Build>
void time_view(benchmark::State& state, TCATREC cr, TFILEBUF& buf, Build build) {
  double load = 0, work = 0;
  TextReport R;
  for (auto _ : state) {
    double t0 = bench::cpu_seconds();
    FC_LOAD(cr, buf);
    load += bench::cpu_seconds() - t0;
    t0 = bench::cpu_seconds();
    build(R, cr, buf);
    benchmark::DoNotOptimize(R.text().data());
    const double t = bench::cpu_seconds() - t0;
    work += t;
    state.SetIterationTime(t);
  }
  if (!FC_CRITICALERRORBUFFER.empty() || cr.SIZE != kSize)
    state.SkipWithError(cp1251_to_utf8(FC_CRITICALERRORBUFFER).c_str());
  state.counters["report_bytes"] = R.size();
  state.counters["x_load"] = work / load;
}

void BM_BasicListing(benchmark::State& state) {
  static TFILEBUF buf;
  auto host = std::make_unique<TMEDIA>();
  fill_program(buf);
  const TCATREC cr = fil_entry(*host, "PROGRAM", 0x02, buf);
  time_view(state, cr, buf,
            [](TextReport& R, const TCATREC& c, const TFILEBUF& b) { basic_listing(R, c, b); });
}

void BM_TextView(benchmark::State& state) {
  static TFILEBUF buf;
  auto host = std::make_unique<TMEDIA>();
  fill_text(buf);
  const TCATREC cr = fil_entry(*host, "TEXT", 0x00, buf);
  time_view(state, cr, buf, [](TextReport& R, const TCATREC& c, const TFILEBUF& b) {
    text_report(R, c, b, FFTEXT);
  });
}

BENCHMARK(BM_BasicListing)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextView)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
