// The 8-bit sum with end-around carry that guards the data of 800 KB nibble and AIM sectors.
#pragma once

#include <cstdint>

#include "core/world_formats.h"

namespace agat {

// The carry of each addition is added back before the next byte; the last carry is dropped.
std::uint8_t CALCCRC(const TSECTOR& D);

}  // namespace agat
