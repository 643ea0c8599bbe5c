#include "core/track_codecs.h"

#include <algorithm>
#include <array>

#include "core/aim_800.h"
#include "core/mfi_file.h"
#include "core/mfm_track.h"
#include "core/nibble_140.h"
#include "core/nibble_800.h"
#include "core/woz_track.h"

namespace agat {

namespace {

template <std::size_t N, typename Byte>
std::span<Byte, N> fixed(std::span<Byte> record) {
  return std::span<Byte, N>(record.data(), N);
}

// The plain forms: sector S at S x 256 of the record.
template <int SECTORS>
void plain_read(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
                TrackOddities& odd) {
  odd.fill(0);
  fields.fill(NO_FIELD);
  for (int s = 0; s < SECTORS; ++s) {
    std::copy_n(record.data() + s * sizeof(TSECTOR), sizeof(TSECTOR), sectors[s].data());
    fields[s] = s * static_cast<std::int32_t>(sizeof(TSECTOR));
  }
}
void plain_write(std::span<std::uint8_t> record, const TrackFields& fields, const TrackOddities&,
                 const TTRACK& sectors) {
  for (int s = 0; s <= MAXSECTOR; ++s)
    if (fields[s] != NO_FIELD) std::copy(sectors[s].begin(), sectors[s].end(), &record[fields[s]]);
}
template <int SECTORS>
void plain_encode(std::span<std::uint8_t> record, std::uint8_t, const TTRACK& sectors) {
  for (int s = 0; s < SECTORS; ++s)
    std::copy(sectors[s].begin(), sectors[s].end(), record.data() + s * sizeof(TSECTOR));
}

void nib140_read(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
                 TrackOddities& odd) {
  odd.fill(0);
  nib140_read_fields(fixed<NIB140_TRACK_SIZE>(record), sectors, fields);
}
void nib140_write(std::span<std::uint8_t> record, const TrackFields& fields, const TrackOddities&,
                  const TTRACK& sectors) {
  nib140_write_fields(fixed<NIB140_TRACK_SIZE>(record), fields, sectors);
}
void nib140_encode(std::span<std::uint8_t> record, std::uint8_t track, const TTRACK& sectors) {
  NIB_WRITE_TRACK140(fixed<NIB140_TRACK_SIZE>(record), track, sectors);
}

void nib800_read(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
                 TrackOddities& odd) {
  odd.fill(0);
  nib800_read_fields(fixed<NIB800_TRACK_SIZE>(record), sectors, fields, odd);
}
void nib800_write(std::span<std::uint8_t> record, const TrackFields& fields,
                  const TrackOddities& odd, const TTRACK& sectors) {
  nib800_write_fields(fixed<NIB800_TRACK_SIZE>(record), fields, odd, sectors);
}
void nib800_encode(std::span<std::uint8_t> record, std::uint8_t track, const TTRACK& sectors) {
  NIB_WRITE_TRACK800(fixed<NIB800_TRACK_SIZE>(record), track, sectors);
}

void aim_read(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
              TrackOddities& odd) {
  odd.fill(0);
  aim800_read_fields(fixed<ATRSIZE>(record), sectors, fields, odd);
}
void aim_write(std::span<std::uint8_t> record, const TrackFields& fields, const TrackOddities& odd,
               const TTRACK& sectors) {
  aim800_write_fields(fixed<ATRSIZE>(record), fields, odd, sectors);
}
void aim_encode(std::span<std::uint8_t> record, std::uint8_t track, const TTRACK& sectors) {
  aim800_encode_track(fixed<ATRSIZE>(record), track, sectors);
}

constexpr std::size_t K140 = 16 * sizeof(TSECTOR), K800 = 21 * sizeof(TSECTOR);

constexpr std::array<TrackCodec, IMAGE_TYPE_COUNT> kCodecs = {{
    {ITI140, K140, false, true, plain_read<16>, plain_write, plain_encode<16>},
    {IT4I140, K140, false, true, plain_read<16>, plain_write, plain_encode<16>},
    {IT128I140, K140, false, true, plain_read<16>, plain_write, plain_encode<16>},
    {ITN140, NIB140_TRACK_SIZE, true, true, nib140_read, nib140_write, nib140_encode},
    {ITI800, K800, false, true, plain_read<21>, plain_write, plain_encode<21>},
    {IT4I800, K800, false, true, plain_read<21>, plain_write, plain_encode<21>},
    {IT128I800, K800, false, true, plain_read<21>, plain_write, plain_encode<21>},
    {ITN800, NIB800_TRACK_SIZE, true, true, nib800_read, nib800_write, nib800_encode},
    {ITA800, ATRSIZE, true, false, aim_read, aim_write, aim_encode},
    {ITE800, K800, false, true, plain_read<21>, plain_write, plain_encode<21>},
    {ITH800, MFM_RECORD_SIZE, true, true, mfm_read_fields, mfm_write_fields, mfm_encode_track},
    {ITM800, MFI800_RECORD_SIZE, true, true, mfm_read_fields, mfm_write_fields, mfm_encode_track},
    // A changed WOZ track keeps its bits but for the data fields written in place.
    {ITW140, WOZ_TRACK_RECORD, true, false, woz_read_fields, woz_write_fields, woz_encode_track},
    // MFI tracks of a 140 KB disk unpack to the same bit streams.
    {ITM140, MFI140_RECORD_SIZE, true, false, woz_read_fields, woz_write_fields, woz_encode_track},
}};

// A row left out leaves a zero row at the end, whose FORM is not its place.
constexpr bool rows_in_order() {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t)
    if (kCodecs[t].form != t) return false;
  return true;
}
static_assert(rows_in_order(), "every image form needs its row in kCodecs");

}  // namespace

const TrackCodec& track_codec(TIMAGET type) {
  return kCodecs[type];
}

}  // namespace agat
