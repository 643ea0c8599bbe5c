#include "core/track_update.h"

#include "core/image_container.h"
#include "core/track_codecs.h"

namespace agat {

std::uint32_t read_track_record(TIMAGET type, std::span<const std::uint8_t> record, TTRACK& sectors,
                                int count, TrackOddities& odd) {
  TrackFields fields;
  track_codec(type).read_fields(record, sectors, fields, odd);
  std::uint32_t unwritable = 0;
  for (int s = 0; s < count && s < 32; ++s)
    if (fields[s] == NO_FIELD) unwritable |= 1u << s;
  return unwritable;
}

bool update_track_record(TIMAGET type, std::span<std::uint8_t> record, std::uint8_t track,
                         const TTRACK& want, int sectors, TrackUpdateFailure& failure) {
  failure = {};
  const TrackCodec& codec = track_codec(type);
  TTRACK held;
  TrackFields fields;
  TrackOddities odd;
  codec.read_fields(record, held, fields, odd);
  TrackFields changed;
  changed.fill(NO_FIELD);
  // A track with a sector of a protected disk is never encoded anew: that would drop its
  // marks and checksum kind, which the disk's own loader may look for.
  bool any_changed = false, all_standard = true;
  for (int s = 0; s < sectors; ++s) {
    all_standard = all_standard && fields[s] != NO_FIELD && odd[s] == 0;
    if (held[s] == want[s]) continue;
    any_changed = true;
    changed[s] = fields[s];
    if (fields[s] == NO_FIELD && failure.sector < 0) failure.sector = s;
  }
  if (!any_changed) return true;
  // The tracks of the bit-stream containers keep the cells of another tool's layout (its
  // gaps, its density) however wholly they decoded: only their changed fields are rewritten.
  if (all_standard && codec.new_tracks && image_container(type) == nullptr) {
    codec.encode(record, track, want);
    return true;
  }
  if (failure.sector >= 0) return false;
  codec.write_fields(record, changed, odd, want);
  // The fields were written where the reader found them; the record must now read as
  // wanted, the sectors that did not decode still not decoding.
  codec.read_fields(record, held, fields, odd);
  for (int s = 0; s < sectors; ++s) {
    if (held[s] != want[s]) {
      failure.sector = -1;
      return false;
    }
  }
  return true;
}

}  // namespace agat
