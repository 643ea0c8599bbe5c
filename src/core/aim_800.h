// One track of an 800 KB AIM image: 6464 little-endian 16-bit cells holding the track's
// byte stream together with its mark ($100) and end-of-track ($200) flags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/track_fields.h"
#include "core/world_formats.h"

namespace agat {

inline constexpr std::size_t AIM_TRACK_CELLS = 6464;
inline constexpr std::size_t ATRSIZE = AIM_TRACK_CELLS * 2;  // 12928 bytes

// Decodes the 21 sectors of one track record into B; a sector that cannot be
// located or fails its checks is 256 bytes $BD. The marks of copy-protected disks are
// taken when the data checksum holds: an address field closed by a byte other than $5A,
// a checksum that is the exclusive or of the data, a data cell with the mark flag (its
// byte is the data). T is not used.
void AIM_READ_TRACK800(std::span<const std::uint8_t, ATRSIZE> record, std::uint8_t T, TTRACK& B);

// AIM_READ_TRACK800, also giving for each sector that decoded the cell of its first data
// byte and what is not standard in its fields (ODD_ bits).
void aim800_read_fields(std::span<const std::uint8_t, ATRSIZE> record, TTRACK& B,
                        TrackFields& fields, TrackOddities& odd);

// aim800_read_fields over a stream of any number of cells (RECORD.size() / 2, at least one):
// the field finder of the MFM forms, whose decoded tracks are laid out as AIM cells.
void aim800_read_cells(std::span<const std::uint8_t> record, TTRACK& B, TrackFields& fields,
                       TrackOddities& odd);

// Rewrites in place the data, checksum and closing cells of every sector S with a field,
// from cell FIELDS[S] on along the stream; nothing else changes: data cells keep their mark
// flags, and the checksum is of the kind ODD[S] names. Only fields whose whole stream the
// reader decoded are safe to write: elsewhere the stream may run round into another
// sector's cells.
void aim800_write_fields(std::span<std::uint8_t, ATRSIZE> record, const TrackFields& fields,
                         const TrackOddities& odd, const TTRACK& B);

// Updates an existing track record in place: the data, checksum and closing cells of
// every sector whose address field is closed by $5A are rewritten from B as plain bytes
// with the sum; nothing else changes.
void AIM_WRITE_TRACK800(std::span<std::uint8_t, ATRSIZE> record, std::uint8_t T, const TTRACK& B);

// A new track, for images built whole (a save never makes one: it only updates records in
// place). The cells of sectors 0..20 in stream order, each field after GAP cells $FF:
// address field $100 $95 $6A $FE T S $5A, data field $100 $6A $95, the 256 bytes, their sum
// and $5A. The end cell is not among them.
std::vector<std::uint16_t> aim800_cells(const TTRACK& B, std::uint8_t T, int gap = 10);
// The record holding CELLS from cell 0 on, the end cell after them and zeros after that.
void aim800_record(const std::vector<std::uint16_t>& cells,
                   std::span<std::uint8_t, ATRSIZE> record);
// The record of a new track of B: no sectors at all when every sector of B is unread
// ($BD only), which reads the same; otherwise aim800_cells.
void aim800_encode_track(std::span<std::uint8_t, ATRSIZE> record, std::uint8_t T, const TTRACK& B);

}  // namespace agat
