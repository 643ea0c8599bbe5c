#include "core/track_update.h"

#include "core/aim_800.h"
#include "core/nibble_140.h"
#include "core/nibble_800.h"
#include "core/track_fields.h"

namespace agat {

namespace {

template <std::size_t N, typename Byte>
std::span<Byte, N> fixed(std::span<Byte> record) {
  return std::span<Byte, N>(record.data(), N);
}

void read_fields(TIMAGET type, std::span<const std::uint8_t> record, TTRACK& sectors,
                 TrackFields& fields, TrackOddities& odd) {
  odd.fill(0);
  switch (type) {
    case ITN140:
      nib140_read_fields(fixed<NIB140_TRACK_SIZE>(record), sectors, fields);
      break;
    case ITN800:
      nib800_read_fields(fixed<NIB800_TRACK_SIZE>(record), sectors, fields, odd);
      break;
    default:
      aim800_read_fields(fixed<ATRSIZE>(record), sectors, fields, odd);
      break;
  }
}

void write_fields(TIMAGET type, std::span<std::uint8_t> record, const TrackFields& fields,
                  const TrackOddities& odd, const TTRACK& sectors) {
  switch (type) {
    case ITN140:
      nib140_write_fields(fixed<NIB140_TRACK_SIZE>(record), fields, sectors);
      break;
    case ITN800:
      nib800_write_fields(fixed<NIB800_TRACK_SIZE>(record), fields, odd, sectors);
      break;
    default:
      aim800_write_fields(fixed<ATRSIZE>(record), fields, odd, sectors);
      break;
  }
}

}  // namespace

std::uint32_t read_track_record(TIMAGET type, std::span<const std::uint8_t> record, TTRACK& sectors,
                                int count, TrackOddities& odd) {
  TrackFields fields;
  read_fields(type, record, sectors, fields, odd);
  std::uint32_t unwritable = 0;
  for (int s = 0; s < count && s < 32; ++s)
    if (fields[s] == NO_FIELD) unwritable |= 1u << s;
  return unwritable;
}

bool update_track_record(TIMAGET type, std::span<std::uint8_t> record, std::uint8_t track,
                         const TTRACK& want, int sectors, TrackUpdateFailure& failure) {
  failure = {};
  TTRACK held;
  TrackFields fields;
  TrackOddities odd;
  read_fields(type, record, held, fields, odd);
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
  if (all_standard && type == ITN140) {
    NIB_WRITE_TRACK140(fixed<NIB140_TRACK_SIZE>(record), track, want);
    return true;
  }
  if (all_standard && type == ITN800) {
    NIB_WRITE_TRACK800(fixed<NIB800_TRACK_SIZE>(record), track, want);
    return true;
  }
  if (failure.sector >= 0) return false;
  write_fields(type, record, changed, odd, want);
  // The fields were written where the reader found them; the record must now read as
  // wanted, the sectors that did not decode still not decoding.
  read_fields(type, record, held, fields, odd);
  for (int s = 0; s < sectors; ++s) {
    if (held[s] != want[s]) {
      failure.sector = -1;
      return false;
    }
  }
  return true;
}

}  // namespace agat
