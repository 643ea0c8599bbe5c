// How the tracks of each image form are coded in its file: one row per form, in TIMAGET's
// order (track_codecs.cpp checks at compile time that every form has its row). The plain
// forms hold the sectors of a track in order; the track forms (nibble, AIM) a stream of
// fields that their codec decodes and rewrites.
#pragma once

#include <cstdint>
#include <span>

#include "core/track_fields.h"
#include "core/world_formats.h"

namespace agat {

struct TrackCodec {
  TIMAGET form;        // the form this row codes
  std::size_t record;  // bytes of one track record
  bool stream;         // a track form: the record is a stream of fields
  bool new_tracks;     // a save may encode a track anew (not AIM: only updated in place)
  // Decodes sectors 0..20 (a sector not found is $BD), with the place of each one's field
  // in the record (NO_FIELD when not found) and what is unusual in it (ODD_ bits, zeroed
  // first).
  void (*read_fields)(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
                      TrackOddities& odd);
  // Rewrites the data of every sector with a field in FIELDS where the field lies, as ODD says.
  void (*write_fields)(std::span<std::uint8_t> record, const TrackFields& fields,
                       const TrackOddities& odd, const TTRACK& sectors);
  // The record of a new track of these sectors.
  void (*encode)(std::span<std::uint8_t> record, std::uint8_t track, const TTRACK& sectors);
};

// The codec of a form of IMAGEDESC; its record is image_record_size(type).
const TrackCodec& track_codec(TIMAGET type);

}  // namespace agat
