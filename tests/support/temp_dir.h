// A fresh directory for one test, removed with everything in it afterwards, and host paths
// (the host's own bytes: UTF-8 on Windows) for std::filesystem and back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace agat::testing {

// The std::filesystem path of a host path, and the host path of a std::filesystem path
// (a narrow string would be read in the ANSI code page on Windows).
inline std::filesystem::path fs_path(const std::string& host) {
  return std::filesystem::path(std::u8string(host.begin(), host.end()));
}
inline std::string host_string(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

class TempDir {
 public:
  TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; path_.empty(); ++attempt) {
      if (attempt == 100) throw std::runtime_error("no temporary directory can be made");
      char name[32];
      std::snprintf(name, sizeof name, "agat-test-%08x", static_cast<unsigned>(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(base / name, ec)) path_ = base / name;
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The directory with a trailing separator, as media keep host paths.
  std::string host_path() const {
    return host_string(path_) + static_cast<char>(std::filesystem::path::preferred_separator);
  }
  std::string file(const std::string& name) const { return host_path() + name; }

 private:
  std::filesystem::path path_;
};

inline std::vector<std::uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(fs_path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::string& path, const std::vector<std::uint8_t>& data) {
  std::ofstream out(fs_path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

}  // namespace agat::testing
