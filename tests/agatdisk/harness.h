// What the agatdisk tests share: running the built program as a process, the data they give
// it and expect back, and a check of the images it leaves.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/file_control.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

#ifndef AGATDISK_BINARY
#error "AGATDISK_BINARY must name the agatdisk program to test"
#endif

namespace agat::testing {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a file in one read (images are large, and the tests read many).
inline Bytes file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes b(std::filesystem::file_size(path));
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return b;
}

inline std::string text_of(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the shell command line `line` in directory `cwd`, where `agatdisk` is the program under
// test; commands joined by "&&" stop at the first that fails. Standard input is empty; standard
// error goes to a file, so that a full pipe can never stall the program.
inline Outcome run_line(const std::string& line, const std::string& cwd) {
  char err[] = "/tmp/agatdisk-err-XXXXXX";
  ::close(::mkstemp(err));
  const std::string bin = std::filesystem::path(AGATDISK_BINARY).parent_path();
  std::FILE* pipe = ::popen(
      ("cd '" + cwd + "' && PATH='" + bin + "':$PATH && { " + line + "; } </dev/null 2>" + err)
          .c_str(),
      "r");
  Outcome r;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = text_of(file_bytes(err));
  std::remove(err);
  return r;
}

// Runs agatdisk with `args` in directory `cwd`.
inline Outcome run_agatdisk(const std::vector<std::string>& args, const std::string& cwd) {
  std::string line = "agatdisk";
  for (const auto& a : args) {
    line += " '";
    for (char c : a) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += "'";
  }
  return run_line(line, cwd);
}

// A test in a fresh directory of its own, where agatdisk runs with arguments or in a line.
class AgatdiskTest : public CoreTest {
 protected:
  TempDir dir;
  Outcome run(const std::vector<std::string>& args) {
    return run_agatdisk(args, dir.path().string());
  }
  Outcome sh(const std::string& line) { return run_line(line, dir.path().string()); }
};

// Whether `text` holds `part`; a failure shows the text.
inline ::testing::AssertionResult contains(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

// The exit status, the whole output and the messages: "" when there must be none, else a part.
inline void expect_outcome(const Outcome& r, int status, const std::string& out,
                           const std::string& err) {
  EXPECT_EQ(r.status, status) << r.err;
  EXPECT_EQ(r.out, out);
  EXPECT_TRUE(err.empty() ? r.err.empty() : r.err.find(err) != std::string::npos) << r.err;
}

// Bytes that differ from file to file and from sector to sector.
inline Bytes pattern(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(size);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

// A file as the core loads it from an image, as text: whole sectors, the last one filled up
// with zeros (an empty file has one sector).
inline std::string loaded(const Bytes& b) {
  std::string text(b.begin(), b.end());
  text.resize(std::max<std::size_t>(256, (b.size() + 255) / 256 * 256), '\0');
  return text;
}

// The length byte of a file's entry: its data sectors (at least one) and its T/S lists.
inline int sectors_of(std::size_t bytes) {
  const int data = std::max(1, static_cast<int>((bytes + 255) / 256));
  return data + (data + 121) / 122;
}

// The start of an entry's line in `list --json`, up to its place on the disk: `type` is the
// type letter, "null" for a sub-catalog.
inline std::string json_head(const std::string& name, const std::string& type, int ext,
                             bool deleted, int sectors) {
  const auto flag = [](bool b) { return b ? std::string("true") : std::string("false"); };
  const bool btk = type == "null";
  return "    {\"name\": \"" + name + "\", \"type\": " + (btk ? type : "\"" + type + "\"") +
         ", \"ext\": " + std::to_string(ext) + ", \"locked\": " + flag(!btk && (ext & 0x80) != 0) +
         ", \"deleted\": " + flag(deleted) +
         ", \"hidden\": false, \"sectors\": " + std::to_string(sectors) + ", \"kind\": \"" +
         (btk ? "btk" : "file") + "\"";
}

// Saves a file through the core with T/S-list bytes 3..11 `ts`, the rest of its last sector
// zeros (the file buffer is large, hence static).
inline void save(TMEDIA& md, const char* name, std::uint8_t ext, const Bytes& data,
                 const TTSDATA& ts = {}) {
  static TFILEBUF buf;
  TCATREC cr;
  cr.AGATNAME = agat_name(name);
  cr.EXT = ext;
  cr.SIZE = static_cast<std::int32_t>(data.size());
  cr.TSDATA = ts;
  buf.fill(0);
  std::copy(data.begin(), data.end(), buf.begin());
  FC_SAVE(cr, buf, md, false);
}

// The image's VTOC marks exactly the sectors its catalogs and files use.
inline void expect_sound(const std::string& path) {
  SCOPED_TRACE(path);
  TIMAGET type{};
  ASSERT_TRUE(image_type_of_size(std::filesystem::file_size(path), type));
  const auto p = std::filesystem::path(path);
  auto md = image_medium(p.parent_path().string() + "/", p.filename().string(), type);
  FC_READCAT(*md);
  EXPECT_EQ(take_critical(), "");
  DiskAudit(*md).expect_vtoc_matches();
}

}  // namespace agat::testing
