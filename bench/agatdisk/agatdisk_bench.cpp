// Speed of `agatdisk list` on a full 140 KB image, as a whole process, as a ratio to
// `cat` of the same file into /dev/null: a process that starts, reads 140 KB and exits
// (counter "x_cat" of BM_AgatdiskList). Then the same over a collection of 1,000 images of
// every form, listed with one call for each image and with one call for all, each against
// cat called the same way on the same files; `agatdisk index` of them against one `list`
// call, in two threads against one, and its HTML catalogue against its JSON.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>  // mkdtemp
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/char_sets.h"
#include "core/file_control.h"
#include "support/bench_images.h"

namespace {

namespace fs = std::filesystem;
using namespace agat;

// A full 140 KB image: files of one to eight sectors until the next one does not fit,
// then ever smaller ones until not even a file of one sector does.
struct FullImage {
  FullImage() {
    std::string tmpl = (fs::temp_directory_path() / "agatdisk_bench.XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    dir = tmpl;
    path = (dir / "full.dsk").string();
    auto md = std::make_unique<TMEDIA>();
    auto buf = std::make_unique<TFILEBUF>();
    md->MEDIAT = MDIMAGE;
    md->HOSTPATH = dir.string() + "/";
    md->IMAGENAME = "full.dsk";
    md->IMAGET = ITI140;
    FC_INITMEDIA(*md);
    for (std::size_t i = 0; i < buf->size(); ++i) (*buf)[i] = static_cast<std::uint8_t>(i * 7);
    int n = 0;
    // A save that does not fit writes nothing; the next catalog read reloads the file.
    auto save = [&](int sectors) {
      TCATREC cr;
      const std::string name = "FILE" + std::to_string(n);
      cr.AGATNAME.fill(AGAT_SPACE);
      for (std::size_t k = 0; k < name.size(); ++k)
        cr.AGATNAME[k] = L2A(static_cast<std::uint8_t>(name[k]));
      cr.EXT = 0x04;
      cr.SIZE = sectors * 256;
      FC_SAVE(cr, *buf, *md, false);
      const bool saved = FC_CRITICALERRORBUFFER.empty();
      FC_CRITICALERRORBUFFER.clear();
      FC_WARNINGBUFFER.clear();
      FC_READCAT(*md);
      n += saved;
      return saved;
    };
    while (save(n % 8 + 1)) {
    }
    for (int sectors = 8; sectors >= 1; --sectors)
      while (save(sectors)) {
      }
    if (md->FREESPACE > 2) std::abort();
  }
  ~FullImage() { fs::remove_all(dir); }

  fs::path dir;
  std::string path;
};

const FullImage& TheImage() {
  static FullImage image;
  return image;
}

// Starts a program with its output into /dev/null and waits for it; false when it failed.
bool RunQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

std::vector<std::string> CatCommand() {
  return {"cat", TheImage().path};
}
std::vector<std::string> ListCommand() {
  return {AGATDISK_BINARY, "list", TheImage().path};
}

// 1,000 images, a hundred of each form: the full image of the form (a disk full of small
// files) under a hundred names. The names are hard links, so that the collection takes the
// disk of ten images; every name is still opened and read whole.
const std::vector<std::string>& Collection() {
  static const std::vector<std::string> paths = [] {
    std::vector<std::string> made;
    for (int type = 0; type < IMAGE_TYPE_COUNT; ++type) {
      const std::string image = bench::full_image(static_cast<TIMAGET>(type));
      for (int k = 0; k < 100; ++k) {
        made.push_back(image + "-" + std::to_string(k));
        fs::create_hard_link(image, made.back());
      }
    }
    return made;
  }();
  return paths;
}

// Seconds for `command` followed by every image of the collection, with one call for all
// of them or one call for each.
double TimeOverCollection(const std::vector<std::string>& command, bool one_call) {
  const auto t0 = std::chrono::steady_clock::now();
  if (one_call) {
    std::vector<std::string> args = command;
    args.insert(args.end(), Collection().begin(), Collection().end());
    if (!RunQuietly(args)) std::abort();
  } else {
    for (const std::string& image : Collection()) {
      std::vector<std::string> args = command;
      args.push_back(image);
      if (!RunQuietly(args)) std::abort();
    }
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// `agatdisk list` over the collection against cat over it, measured turn about in each
// round: argument 1 lists all images with one call, 0 with one call for each.
void BM_ListCollection(benchmark::State& state) {
  const bool one_call = state.range(0) == 1;
  Collection();  // made before anything is timed
  double cat = 0, list = 0;
  for (auto _ : state) {
    cat += TimeOverCollection({"cat"}, one_call);
    const double t = TimeOverCollection({AGATDISK_BINARY, "list"}, one_call);
    state.SetIterationTime(t);
    list += t;
  }
  state.counters["x_cat"] = list / cat;
  state.SetLabel(one_call ? "one call for all" : "one call for each image");
}

// The collection again in a folder of its own (hard links once more), for index, which walks
// folders; with `first` below 100, only the first images of each form.
std::string CollectionFolder(const std::string& name, int first) {
  const fs::path dir = fs::path(Collection().front()).parent_path() / name;
  if (fs::create_directory(dir))
    for (const std::string& image : Collection())
      if (std::stoi(image.substr(image.rfind('-') + 1)) < first)
        fs::create_hard_link(image, dir / fs::path(image).filename());
  return dir.string();
}

double TimeOf(const std::vector<std::string>& args) {
  const auto t0 = std::chrono::steady_clock::now();
  if (!RunQuietly(args)) std::abort();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// `agatdisk index` of the 1,000 images, JSON only, in one thread against one `agatdisk list`
// call over the same images (x_list), and in two threads against one (x_one_thread).
void BM_IndexCollection(benchmark::State& state) {
  const std::string folder = CollectionFolder("collection", 100);
  const std::string json = folder + ".json";
  double list = 0, one = 0, two = 0;
  for (auto _ : state) {
    list += TimeOverCollection({AGATDISK_BINARY, "list"}, true);
    const double t = TimeOf({AGATDISK_BINARY, "index", folder, "--json", json, "--jobs", "1"});
    state.SetIterationTime(t);
    one += t;
    two += TimeOf({AGATDISK_BINARY, "index", folder, "--json", json, "--jobs", "2"});
  }
  state.counters["x_list"] = one / list;
  state.counters["x_one_thread"] = two / one;
}

// The HTML catalogue of 100 images, ten of each form, against the JSON-only index of the
// same images (x_json), both in one thread.
void BM_IndexHtml(benchmark::State& state) {
  const std::string folder = CollectionFolder("hundred", 10);
  double json = 0, html = 0;
  for (auto _ : state) {
    json += TimeOf({AGATDISK_BINARY, "index", folder, "--json", folder + ".json", "--jobs", "1"});
    const double t =
        TimeOf({AGATDISK_BINARY, "index", folder, "--html", folder + ".site", "--jobs", "1"});
    state.SetIterationTime(t);
    html += t;
  }
  state.counters["x_json"] = html / json;
}

void BM_Cat(benchmark::State& state) {
  for (auto _ : state)
    if (!RunQuietly(CatCommand())) state.SkipWithError("cat failed");
}

void BM_AgatdiskList(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  // The baseline, measured in this run: the mean of plain cat processes on the same file.
  constexpr int kBaseRuns = 200;
  const auto b0 = Clock::now();
  for (int i = 0; i < kBaseRuns; ++i) RunQuietly(CatCommand());
  const double base = std::chrono::duration<double>(Clock::now() - b0).count() / kBaseRuns;

  double total = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (!RunQuietly(ListCommand())) {
      state.SkipWithError("agatdisk list failed");
      break;
    }
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    state.SetIterationTime(t);
    total += t;
  }
  if (state.iterations() > 0)
    state.counters["x_cat"] = total / static_cast<double>(state.iterations()) / base;
}

BENCHMARK(BM_Cat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgatdiskList)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCollection)->Arg(1)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCollection)->Arg(0)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexCollection)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexHtml)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
