// Image files of every form for the tests of loading and saving: random sectors, and a
// random trailer or header where the form has one; and a medium loaded from such a file.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "core/emulator_header.h"
#include "core/image_file.h"
#include "support/aim_track.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat::testing {

// An image file of any of the ten forms with random sectors, and a random trailer (or header
// after the signature) where the form has one. Returns the file's bytes.
inline std::vector<std::uint8_t> make_image_file(const std::string& path, TIMAGET type) {
  std::vector<std::uint8_t> file;
  if (type == ITA800) {
    for (int t = 0; t <= 159; ++t) {
      const auto record = aim_record(aim_cells(random_track(t), static_cast<std::uint8_t>(t)));
      file.insert(file.end(), record.begin(), record.end());
    }
  } else if (type == ITN140 || type == ITN800) {
    TempDir scratch;
    auto md = create_image(scratch.host_path(), "n", type);
    for (int t = 0; t <= md->NUMTR; ++t) md->MASS[t] = random_track(t);
    FC_SAVEMEDIA(*md, false);
    file = read_bytes(scratch.file("n"));
  } else {
    std::mt19937 rng(11);
    file.resize(IMAGEDESC[type].FULLSIZE);
    for (auto& b : file) b = static_cast<std::uint8_t>(rng());
    if (type == ITE800) std::copy_n(make_emulator_header({}).begin(), 31 + 2, file.begin());
  }
  write_bytes(path, file);
  return file;
}

inline std::unique_ptr<TMEDIA> load(const TempDir& dir, const std::string& name, TIMAGET type) {
  auto md = image_medium(dir.host_path(), name, type);
  FC_LOADMEDIA(*md);
  return md;
}

}  // namespace agat::testing
