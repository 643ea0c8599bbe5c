// A whole image file of any form made in memory from its sectors, as a drive or another
// program would have written it: for tests, fuzz targets and benchmarks that need image
// files of every form, and for the samples.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// The bytes of a file of FORM holding tracks 0..NTR of TRACKS (sectors 0..NSC of each): an
// emulator header with DESCRIPTION (Windows-1251) where the form has a header, each track
// encoded anew by the form's codec, a zero trailer where it has one. TRACKS must hold the
// form's tracks; an empty vector when it does not.
std::vector<std::uint8_t> image_file_bytes(TIMAGET form, std::span<const TTRACK> tracks,
                                           std::string_view description = {});

}  // namespace agat
