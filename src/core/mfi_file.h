// The MFI file: a 32-byte header (the signature, cylinders with the track resolution in the
// top two bits, heads, form factor, variant), a table of 16 bytes a track (offset, packed
// size, unpacked size, write splice), then each track as a zlib stream of 32-bit entries: a
// type in the top four bits and a time in the rest, 200,000,000 to a turn. Version 1 holds
// levels (a flux change where the level changes), version 2 flux changes with the time
// since the one before. Track n of an 800 KB disk is cylinder n / 2, head n % 2; its record
// is an MFM track record (core/mfm_track.h) of the cells the changes fall in. A 140 KB disk's
// file has one head, track n its cylinder n; its record is a bit stream of the WOZ codec
// (core/woz_track.h), a bit a 4-microsecond cell.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/woz_track.h"

namespace agat {

inline constexpr std::size_t MFI_HEADER = 32;
// The record of a track of an 800 KB disk: up to 112,000 cells a turn.
inline constexpr std::size_t MFI800_RECORD_SIZE = 4 + 112'000 / 8;

// The record of a track of a 140 KB disk: the WOZ codec's, longer by 8 unused bytes so that
// the two forms' sizes differ.
inline constexpr std::size_t MFI140_RECORD_SIZE = WOZ_TRACK_RECORD + 8;

// A signed file of one head is a 140 KB disk's, any other an 800 KB disk's.
bool mfi140_signed(std::span<const std::uint8_t> prefix);
bool mfi800_signed(std::span<const std::uint8_t> prefix);
bool mfi800_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records);
void mfi800_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
                 std::vector<std::uint8_t>& file);
bool mfi140_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records);
void mfi140_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
                 std::vector<std::uint8_t>& file);

// The cells of one track from its entries (VERSION 1 or 2), into RECORD; false when the
// entries do not make a track.
bool mfi_cells(std::span<const std::uint32_t> entries, int version, std::span<std::uint8_t> record);
// The version 2 entries of the cells of RECORD, its cells filling the turn.
std::vector<std::uint32_t> mfi_entries(std::span<const std::uint8_t> record);

}  // namespace agat
