// One track of a 140 KB nibble image: the DOS 3.3 16-sector format (4-and-4 address
// fields, 6-and-2 data fields, DOS interleave) as a circular record of disk bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/track_fields.h"
#include "core/world_formats.h"

namespace agat {

inline constexpr std::size_t NIB140_TRACK_SIZE = 6656;

// Decodes the 16 sectors found in one track record into B[0..15] in logical order.
// A sector that is not found or does not decode is 256 bytes $BD. T is not used.
void NIB_READ_TRACK140(std::span<const std::uint8_t, NIB140_TRACK_SIZE> record, std::uint8_t T,
                       TTRACK& B);

// NIB_READ_TRACK140, also giving for each sector that decoded the position of the first
// byte after its data prologue (of the last field that decoded, which is the one read).
void nib140_read_fields(std::span<const std::uint8_t, NIB140_TRACK_SIZE> record, TTRACK& B,
                        TrackFields& fields);

// nib140_read_fields over a circular stream of disk bytes of any length (a track latched
// from a bit stream); FIELDS are positions in STREAM.
void nib140_read_stream(std::span<const std::uint8_t> stream, TTRACK& B, TrackFields& fields);

// The disk bytes of the body of a sector's data field, as they follow its prologue: the 342
// chained six-bit values and the checksum byte.
inline constexpr std::size_t NIB140_DATA_BODY = 343;
using NibbleDataBody = std::array<std::uint8_t, NIB140_DATA_BODY>;
NibbleDataBody nib140_data_body(const TSECTOR& B_SEC);

// The address field of logical sector LOGICAL of track T as a new track has it: prologue,
// volume, track, physical sector and checksum in 4-and-4 code, epilogue.
using NibbleAddressField = std::array<std::uint8_t, 14>;
NibbleAddressField nib140_address_field(std::uint8_t T, int logical);

// Rewrites in place the data field of every sector S with FIELDS[S] other than NO_FIELD:
// its 342 values and its checksum byte, from that position on; prologue, epilogue and
// everything else in the record stay.
void nib140_write_fields(std::span<std::uint8_t, NIB140_TRACK_SIZE> record,
                         const TrackFields& fields, const TTRACK& B);

// Encodes B[0..15] into a complete track record, with T in every address field.
void NIB_WRITE_TRACK140(std::span<std::uint8_t, NIB140_TRACK_SIZE> record, std::uint8_t T,
                        const TTRACK& B);

}  // namespace agat
