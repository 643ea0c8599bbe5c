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
                 TrackFields& fields) {
  switch (type) {
    case ITN140:
      nib140_read_fields(fixed<NIB140_TRACK_SIZE>(record), sectors, fields);
      break;
    case ITN800:
      nib800_read_fields(fixed<NIB800_TRACK_SIZE>(record), sectors, fields);
      break;
    default:
      aim800_read_fields(fixed<ATRSIZE>(record), sectors, fields);
      break;
  }
}

void write_fields(TIMAGET type, std::span<std::uint8_t> record, const TrackFields& fields,
                  const TTRACK& sectors) {
  switch (type) {
    case ITN140:
      nib140_write_fields(fixed<NIB140_TRACK_SIZE>(record), fields, sectors);
      break;
    case ITN800:
      nib800_write_fields(fixed<NIB800_TRACK_SIZE>(record), fields, sectors);
      break;
    default:
      aim800_write_fields(fixed<ATRSIZE>(record), fields, sectors);
      break;
  }
}

}  // namespace

std::uint32_t read_track_record(TIMAGET type, std::span<const std::uint8_t> record, TTRACK& sectors,
                                int count) {
  TrackFields fields;
  read_fields(type, record, sectors, fields);
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
  read_fields(type, record, held, fields);
  TrackFields changed;
  changed.fill(NO_FIELD);
  bool any_changed = false, all_decoded = true;
  for (int s = 0; s < sectors; ++s) {
    all_decoded = all_decoded && fields[s] != NO_FIELD;
    if (held[s] == want[s]) continue;
    any_changed = true;
    changed[s] = fields[s];
    if (fields[s] == NO_FIELD && failure.sector < 0) failure.sector = s;
  }
  if (!any_changed) return true;
  if (all_decoded && type == ITN140) {
    NIB_WRITE_TRACK140(fixed<NIB140_TRACK_SIZE>(record), track, want);
    return true;
  }
  if (all_decoded && type == ITN800) {
    NIB_WRITE_TRACK800(fixed<NIB800_TRACK_SIZE>(record), track, want);
    return true;
  }
  if (failure.sector >= 0) return false;
  write_fields(type, record, changed, want);
  // The fields were written where the reader found them; the record must now read as
  // wanted, the sectors that did not decode still not decoding.
  read_fields(type, record, held, fields);
  for (int s = 0; s < sectors; ++s) {
    if (held[s] != want[s]) {
      failure.sector = -1;
      return false;
    }
  }
  return true;
}

}  // namespace agat
