// The HFE file (version 1) of an 800 KB disk: a 512-byte header, the table of cylinders,
// then each cylinder's cells in blocks of 512 bytes, 256 of side 0 then 256 of side 1, the
// first cell of a byte in its bit 0. Track n of the disk is cylinder n / 2, side n % 2; its
// record is an MFM track record (core/mfm_track.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace agat {

inline constexpr std::size_t HFE_BLOCK = 512;

bool hfe_signed(std::span<const std::uint8_t> prefix);
bool hfe_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records);
void hfe_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
              std::vector<std::uint8_t>& file);

}  // namespace agat
