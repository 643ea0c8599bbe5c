// One track of a WOZ image as the core holds it: the track's bit stream, read by shifting its
// bits into a latch as the disk controller does. The disk bytes so latched are the stream
// the 140 KB nibble codec's field finder reads (a byte starts at a one bit: the zero bits of
// sync bytes and of slips between bytes are passed), and each byte keeps the place of its
// first bit, so that a changed data field is written back bit for bit where it lay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/track_fields.h"
#include "core/world_formats.h"

namespace agat {

// The record of one track: the number of bits (32 bits, little-endian), four zero bytes, then
// the bits, the first in the high bit of the first byte. A track the file lacks has no bits.
inline constexpr std::size_t WOZ_TRACK_RECORD = 8192;
inline constexpr std::size_t WOZ_BITS_AT = 8;
inline constexpr std::uint32_t WOZ_MAX_BITS = (WOZ_TRACK_RECORD - WOZ_BITS_AT) * 8;

// The bits of a new track: 16 sectors in the nibble codec's order, 10-bit sync bytes.
inline constexpr std::uint32_t WOZ_NEW_TRACK_BITS = 51104;

// The disk bytes of one turn of the track and the bit at which each begins: views into the
// bytes of up to two turns that the latch took, which the object keeps for the next track.
struct LatchedTrack {
  std::span<const std::uint8_t> bytes;
  std::span<const std::uint32_t> starts;
  std::vector<std::uint8_t> taken_bytes;
  std::vector<std::uint32_t> taken_starts;
};
// Latches RECORD's bits from a place where the latch is in step with the track: the turn
// starts at a byte that the latch also begins on one turn earlier.
void woz_latch(std::span<const std::uint8_t> record, LatchedTrack& out);

// The codec of the form: fields are the places of the first bit of each data field's body.
void woz_read_fields(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
                     TrackOddities& odd);
void woz_write_fields(std::span<std::uint8_t> record, const TrackFields& fields,
                      const TrackOddities& odd, const TTRACK& sectors);
void woz_encode_track(std::span<std::uint8_t> record, std::uint8_t track, const TTRACK& sectors);

}  // namespace agat
