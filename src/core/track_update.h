// Bringing the record of one track of a nibble or AIM image up to date with the sectors
// in memory without destroying what the reader could not decode. A sector that did not
// decode is held in memory as 256 bytes $BD; writing that fill back would wipe data that
// a better reader, or the blending of several reads, might still recover. So a track
// whose sectors did not change keeps its record byte for byte; a changed track is
// encoded anew only when every sector of it decoded as a standard sector (and never in the
// AIM form, whose writer only updates records in place); otherwise only the data fields of
// the changed sectors are rewritten where the reader found them, with the checksum kind
// and the mark flags they had.
#pragma once

#include <cstdint>
#include <span>

#include "core/world_formats.h"

namespace agat {

struct TrackUpdateFailure {
  int sector = -1;  // a changed sector that did not decode; -1: the record would not read back
};

// Updates RECORD (the track as the file holds it) of an image of TYPE, one of the three
// track forms, so that it reads as sectors 0..SECTORS-1 of WANT. False when that cannot be
// done without harm; RECORD is then of no use and FAILURE says why.
bool update_track_record(TIMAGET type, std::span<std::uint8_t> record, std::uint8_t track,
                         const TTRACK& want, int sectors, TrackUpdateFailure& failure);

// Decodes RECORD (the track as the file holds it) of an image of TYPE into SECTORS, notes in
// ODD what is not standard in each sector (a TrackOddities of core/world_formats.h), and answers the sectors among 0..COUNT-1 that a save cannot write there, one bit each
// (bit S for sector S): those whose field the reader did not find, whose place in the
// record is unknown.
std::uint32_t read_track_record(TIMAGET type, std::span<const std::uint8_t> record, TTRACK& sectors,
                                int count, TrackOddities& odd);

}  // namespace agat
