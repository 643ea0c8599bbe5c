// One pass of the file manager's main loop (reload of both panels, drawing, the key) on
// the in-memory console, against the reload of the two panels alone. Both panels show a
// full 800 KB image. The "x_reload" counter is the ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/file_control.h"
#include "core/host_names.h"
#include "platform/crt_keys.h"
#include "platform/memory_console.h"
#include "ui/mywrite.h"
#include "ui/sorbel.h"

namespace {

using namespace agat;
using Clock = std::chrono::steady_clock;

// An 800 KB image whose catalog holds 400 files and whose sectors are nearly all used.
std::filesystem::path make_full_image() {
  std::string pattern = (std::filesystem::temp_directory_path() / "agat-loop-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  const std::filesystem::path dir = pattern;
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = pattern + "/";
  md->IMAGENAME = "full.dsk";
  set_geometry(*md, ITI800);
  FC_INITMEDIA(*md);
  FC_READCAT(*md);
  static TFILEBUF buf;
  for (int i = 0; i < 400; ++i) {
    TCATREC cr;
    cr.AGATNAME = HOST2AGATFNAME("FILE " + std::to_string(i));
    cr.EXT = static_cast<std::uint8_t>(i % 3 == 0 ? 0x04 : 0x00);
    cr.SIZE = 7 * 256;
    FC_SAVE(cr, buf, *md, false);
  }
  if (!FC_CRITICALERRORBUFFER.empty()) std::abort();
  std::filesystem::copy_file(dir / "full.dsk", dir / "other.dsk");
  return dir;
}

void BM_MainLoopPass(benchmark::State& state) {
  static const std::filesystem::path dir = make_full_image();
  std::filesystem::current_path(dir);
  constexpr int kPasses = 10;
  double loop = 0, reload = 0;
  for (auto _ : state) {
    // The session: enter both images, then reload them again and again, then leave.
    MemoryConsole screen(80, 25);
    set_console(&screen);
    screen.keys({KEYCODE_ENTER, KEYCODE_TAB, KEYCODE_ENTER});
    for (int i = 0; i < kPasses; ++i) screen.key(ctrl_key('R'));
    screen.key(HKEY_F10);
    const auto t0 = Clock::now();
    run_sorbel({"full.dsk", "other.dsk"});
    const auto t1 = Clock::now();
    // The same number of reloads of both panels alone.
    for (int i = 0; i < kPasses + 3; ++i) {
      RELOAD(PN_R());
      RELOAD(PN_L());
    }
    const auto t2 = Clock::now();
    loop += std::chrono::duration<double>(t1 - t0).count();
    reload += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count() / (kPasses + 3));
  }
  set_console(nullptr);
  state.counters["x_reload"] = loop / reload;
}
BENCHMARK(BM_MainLoopPass)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
