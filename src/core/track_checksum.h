// The 8-bit sum with end-around carry that guards the data of 800 KB nibble and AIM sectors,
// and the exclusive or that some copy-protected disks store in its place.
#pragma once

#include <cstdint>
#include <span>

#include "core/world_formats.h"

namespace agat {

// The 256 data bytes of a sector, wherever they lie: a sector or a field of a track record,
// which is then checked where it lies, without a copy.
using SectorBytes = std::span<const std::uint8_t, sizeof(TSECTOR)>;

// The carry of each addition is added back before the next byte; the last carry is dropped.
std::uint8_t CALCCRC(SectorBytes D);

// The exclusive or of the 256 bytes.
std::uint8_t xor_checksum(SectorBytes D);

// The checksum of D of the kind that ODD names: the exclusive or with ODD_XOR_SUM, the sum
// otherwise.
std::uint8_t sector_checksum(SectorBytes D, std::uint8_t odd);

// Whether STORED guards D: as the sum, or failing that as the exclusive or, which then adds
// ODD_XOR_SUM to ODD.
bool checksum_holds(SectorBytes D, std::uint16_t stored, std::uint8_t& odd);

}  // namespace agat
