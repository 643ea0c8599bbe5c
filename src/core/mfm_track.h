// One side of an 800 KB disk as a circle of MFM cells (2 us each, 100,000 a turn on a
// real drive), the way the bit-stream forms (HFE, MFI) hold a track. The record is the
// number of cells (little-endian 32 bits) and the cells, the first in bit 0 of byte 4.
// The cells are decoded into the byte stream of the track with a mark cell for every sync
// mark, and that stream goes through the same field finder as the AIM form; a save
// rewrites only the cells of the changed data fields, so every other cell, and every
// sector that did not decode, stays bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/track_fields.h"
#include "core/world_formats.h"

namespace agat {

inline constexpr std::size_t MFM_RECORD_SIZE = 16384;
inline constexpr std::uint32_t MFM_MAX_CELLS = (MFM_RECORD_SIZE - 4) * 8;
// The cells of the sync mark that opens each field: $A4 with a missing clock, then $FF.
inline constexpr std::uint32_t MFM_SYNC = 0x89245555;
// Cells of a new track: 13 + 21 x 297 bytes of 16 cells.
inline constexpr std::uint32_t MFM_NEW_TRACK_CELLS = 6250 * 16;

// The cells a record holds (0 for a track the file lacks, or one longer than a record).
std::uint32_t mfm_cell_count(std::span<const std::uint8_t> record);

// Decodes sectors 0..20; FIELDS gets the cell where each sector's first data byte starts.
void mfm_read_fields(std::span<const std::uint8_t> record, TTRACK& B, TrackFields& fields,
                     TrackOddities& odd);

// Rewrites the cells of the data, checksum and closing bytes of every sector with a field.
void mfm_write_fields(std::span<std::uint8_t> record, const TrackFields& fields,
                      const TrackOddities& odd, const TTRACK& B);

// A new track of B: a gap of 13 bytes $AA, then for each sector the sync mark, the address
// field 95 6A FE T S 5A, 5 bytes $AA, the sync mark, the data field 6A 95, the data, its
// sum and 5A, and 22 bytes $AA.
void mfm_encode_track(std::span<std::uint8_t> record, std::uint8_t T, const TTRACK& B);

}  // namespace agat
