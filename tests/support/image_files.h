// Image files of every form for the tests of loading and saving: random sectors, and a
// random trailer or header where the form has one; and a medium loaded from such a file.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "core/image_build.h"
#include "core/image_file.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat::testing {

// An image file of any form with random sectors, and random bytes in its trailer and in
// its header after the signature where the form has them. Returns the file's bytes.
inline std::vector<std::uint8_t> make_image_file(const std::string& path, TIMAGET type) {
  std::vector<TTRACK> tracks(IMAGEDESC[type].NTR + 1u);
  for (std::size_t t = 0; t < tracks.size(); ++t)
    tracks[t] = random_track(static_cast<unsigned>(t));
  std::vector<std::uint8_t> file = image_file_bytes(type, tracks);
  std::mt19937 rng(11);
  const TIMAGEDESC& d = IMAGEDESC[type];
  const std::size_t signature = 31 + 2;  // kept, or the file is no longer of the form
  for (std::size_t i = signature; i < static_cast<std::size_t>(d.header); ++i)
    file[i] = static_cast<std::uint8_t>(rng());
  for (std::size_t i = file.size() - d.trailer; i < file.size(); ++i)
    file[i] = static_cast<std::uint8_t>(rng());
  write_bytes(path, file);
  return file;
}

inline std::unique_ptr<TMEDIA> load(const TempDir& dir, const std::string& name, TIMAGET type) {
  auto md = image_medium(dir.host_path(), name, type);
  FC_LOADMEDIA(*md);
  return md;
}

}  // namespace agat::testing
