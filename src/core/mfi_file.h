// The MFI file: a 32-byte header (the signature, cylinders with the track resolution in the
// top two bits, heads, form factor, variant), a table of 16 bytes a track (offset, packed
// size, unpacked size, write splice), then each track as a zlib stream of 32-bit entries: a
// type in the top four bits and a time in the rest, 200,000,000 to a turn. Version 1 holds
// levels (a flux change where the level changes), version 2 flux changes with the time
// since the one before. Track n of an 800 KB disk is cylinder n / 2, head n % 2; its record
// is an MFM track record (core/mfm_track.h) of the cells the changes fall in.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace agat {

inline constexpr std::size_t MFI_HEADER = 32;
// The record of a track of an 800 KB disk: up to 112,000 cells a turn.
inline constexpr std::size_t MFI800_RECORD_SIZE = 4 + 112'000 / 8;

bool mfi_signed(std::span<const std::uint8_t> prefix);
bool mfi800_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records);
void mfi800_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
                 std::vector<std::uint8_t>& file);

// The cells of one track from its entries (VERSION 1 or 2), into RECORD; false when the
// entries do not make a track.
bool mfi_cells(std::span<const std::uint32_t> entries, int version, std::span<std::uint8_t> record);
// The version 2 entries of the cells of RECORD, its cells filling the turn.
std::vector<std::uint32_t> mfi_entries(std::span<const std::uint8_t> record);

}  // namespace agat
