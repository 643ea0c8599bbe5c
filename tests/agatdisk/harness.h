// What the agatdisk tests share: running the built program as a process, images built
// through the core for it to work on, and checks of the images it leaves.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/file_control.h"
#include "json.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

#ifndef AGATDISK_BINARY
#error "AGATDISK_BINARY must name the agatdisk program to test"
#endif

namespace agat::testing {

using Bytes = std::vector<std::uint8_t>;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs agatdisk with `args` in directory `cwd`; standard input is empty. The program is
// spawned, not forked: a fork would copy the sanitizers' large mappings of this process.
inline Outcome run_agatdisk(const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<char*> argv{const_cast<char*>(AGATDISK_BINARY)};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
  // Standard error goes to a file, so that a full pipe can never stall the program.
  std::FILE* err = std::tmpfile();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, ::fileno(err), 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, AGATDISK_BINARY, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " AGATDISK_BINARY);
  Outcome r;
  char buf[65536];
  for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
    r.out.append(buf, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::rewind(err);
  for (int c; (c = std::fgetc(err)) != EOF;) r.err += static_cast<char>(c);
  std::fclose(err);
  return r;
}

inline std::string text_of(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

// Bytes that differ from file to file and from sector to sector.
inline Bytes pattern(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(size);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

// A file as the core loads it from an image: whole sectors, the last one filled up with
// zeros (an empty file has one sector).
inline Bytes whole_sectors(Bytes b) {
  b.resize(std::max<std::size_t>(256, (b.size() + 255) / 256 * 256), 0);
  return b;
}

// Builds an image through the core, step by step; every step must succeed.
class ImageBuilder {
 public:
  ImageBuilder(const std::string& path, TIMAGET type)
      : md_(new_medium()), buf_(std::make_unique<TFILEBUF>()) {
    md_->MEDIAT = MDIMAGE;
    const auto p = std::filesystem::path(path);
    md_->HOSTPATH = p.parent_path().string() + "/";
    md_->IMAGENAME = p.filename().string();
    md_->IMAGET = type;
    FC_INITMEDIA(*md_);
    check("new image");
  }

  ImageBuilder& file(const std::string& name, std::uint8_t ext, const Bytes& data) {
    TCATREC cr;
    cr.AGATNAME = agat_name(name);
    cr.EXT = ext;
    cr.SIZE = static_cast<std::int32_t>(data.size());
    buf_->fill(0);
    std::copy(data.begin(), data.end(), buf_->begin());
    FC_SAVE(cr, *buf_, *md_, false);
    check("save " + name);
    return *this;
  }
  ImageBuilder& remove(const std::string& name) {
    FC_DELETE(entry(name));
    check("delete " + name);
    return *this;
  }
  // Makes the sub-catalog when there is none of that name, and enters it; entering its
  // first entry (named like it) goes back.
  ImageBuilder& enter(const std::string& name) {
    FC_READCAT(*md_);
    if (find_entry(*md_, name) == nullptr) FC_MAKEDIR(*md_, agat_name(name));
    FC_CHDIR(entry(name));
    check("enter " + name);
    return *this;
  }
  TMEDIA& medium() { return *md_; }

 private:
  TCATREC& entry(const std::string& name) {
    FC_READCAT(*md_);
    TCATREC* e = find_entry(*md_, name);
    if (e == nullptr) throw std::runtime_error("no entry " + name);
    return *e;
  }
  void check(const std::string& step) {
    EXPECT_EQ(FC_CRITICALERRORBUFFER, "") << step;
    FC_CRITICALERRORBUFFER.clear();
    FC_WARNINGBUFFER.clear();
  }

  std::unique_ptr<TMEDIA> md_;
  std::unique_ptr<TFILEBUF> buf_;
};

// The medium of an image file with its current catalog read (form from the size).
inline std::unique_ptr<TMEDIA> read_image(const std::string& path) {
  TIMAGET type{};
  EXPECT_TRUE(image_type_of_size(std::filesystem::file_size(path), type)) << path;
  const auto p = std::filesystem::path(path);
  auto md = image_medium(p.parent_path().string() + "/", p.filename().string(), type);
  FC_READCAT(*md);
  EXPECT_EQ(take_critical(), "") << path;
  return md;
}

// The image's VTOC marks exactly the sectors its catalogs and files use.
inline void expect_sound(const std::string& path) {
  SCOPED_TRACE(path);
  auto md = read_image(path);
  DiskAudit(*md).expect_vtoc_matches();
}

// The entries of `agatdisk list --json` (the whole listing must be JSON).
inline Json listing(const std::string& image, const std::string& cwd) {
  const Outcome r = run_agatdisk({"list", image, "--json"}, cwd);
  EXPECT_EQ(r.status, 0) << r.err;
  return JsonReader::parse(r.out);
}

// The first entry named `name` in a JSON listing, if there is one.
inline std::optional<Json> listed(const Json& list, const std::string& name) {
  for (const Json& e : list["entries"].items)
    if (e["name"].text == name) return e;
  return std::nullopt;
}

// The bytes of a file in one read (images are large, and the tests read many).
inline Bytes file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes b(std::filesystem::file_size(path));
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return b;
}

// Every regular file of a directory with its bytes.
inline std::map<std::string, Bytes> files_of(const TempDir& dir) {
  std::map<std::string, Bytes> files;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.is_regular_file()) files[e.path().filename().string()] = file_bytes(e.path().string());
  return files;
}

}  // namespace agat::testing
