// One track of an 800 KB nibble image: 21 sector records of plain bytes between marks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/track_fields.h"
#include "core/world_formats.h"

namespace agat {

inline constexpr std::size_t NIB800_SECTOR_RECORD = 282;
inline constexpr std::size_t NIB800_TRACK_SIZE = 21 * NIB800_SECTOR_RECORD;  // 5922

// Places each record with a good checksum (the sum, or the exclusive or of some protected
// disks) and a sector number 0..20 into B; the sectors no good record supplies are 256
// bytes $BD.
void NIB_READ_TRACK800(std::span<const std::uint8_t, NIB800_TRACK_SIZE> record, std::uint8_t T,
                       TTRACK& B);

// NIB_READ_TRACK800, also giving for each sector that decoded the index 0..20 of the
// sector record it was read from, and what is not standard in that record (ODD_ bits).
// A record whose checksum holds only as an exclusive or is taken too, but never in place
// of a record with a good sum; of two records alike the last wins.
void nib800_read_fields(std::span<const std::uint8_t, NIB800_TRACK_SIZE> record, TTRACK& B,
                        TrackFields& fields, TrackOddities& odd);

// Rewrites the data and checksum of sector record FIELDS[S] from sector S of B, for every
// S with a field, the checksum of the kind ODD[S] names; headers and gaps stay.
void nib800_write_fields(std::span<std::uint8_t, NIB800_TRACK_SIZE> record,
                         const TrackFields& fields, const TrackOddities& odd, const TTRACK& B);

// Writes the 21 sectors of B as a complete track record with T in every header.
void NIB_WRITE_TRACK800(std::span<std::uint8_t, NIB800_TRACK_SIZE> record, std::uint8_t T,
                        const TTRACK& B);

}  // namespace agat
