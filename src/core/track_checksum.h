// The 8-bit sum with end-around carry that guards the data of 800 KB nibble and AIM sectors,
// and the exclusive or that some copy-protected disks store in its place.
#pragma once

#include <cstdint>

#include "core/world_formats.h"

namespace agat {

// The carry of each addition is added back before the next byte; the last carry is dropped.
std::uint8_t CALCCRC(const TSECTOR& D);

// The exclusive or of the 256 bytes.
std::uint8_t xor_checksum(const TSECTOR& D);

// The checksum of D of the kind that ODD names: the exclusive or with ODD_XOR_SUM, the sum
// otherwise.
std::uint8_t sector_checksum(const TSECTOR& D, std::uint8_t odd);

// Whether STORED guards D: as the sum, or failing that as the exclusive or, which then adds
// ODD_XOR_SUM to ODD.
bool checksum_holds(const TSECTOR& D, std::uint16_t stored, std::uint8_t& odd);

}  // namespace agat
