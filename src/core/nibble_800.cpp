// The 800 KB nibble track: 21 sector records of 282 bytes, each the sector's header, marks
// and data as plain bytes, followed by a checksum of the data.
#include "core/nibble_800.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/track_checksum.h"

namespace agat {
namespace {

constexpr int SECTORS = MAXSECTOR + 1;

// One sector record as it lies in the track record.
struct TMSECN {
  std::uint8_t GAP1[15];
  std::uint8_t VOLUME;
  std::uint8_t TRACK;
  std::uint8_t SECTOR;
  std::uint8_t GAP2[3];
  std::uint8_t GAP3[3];
  std::uint8_t DATA[256];
  std::uint8_t CRC;
  std::uint8_t GAP4;
};
static_assert(sizeof(TMSECN) == NIB800_SECTOR_RECORD && alignof(TMSECN) == 1);
static_assert(offsetof(TMSECN, VOLUME) == 15 && offsetof(TMSECN, DATA) == 24 &&
              offsetof(TMSECN, CRC) == 280);

// The record that a write fills in: track, sector, data and checksum are left zero here.
constexpr TMSECN SECNIDEAL = {
    {0xFE, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xFF, 0xAA, 0xA4, 0x95, 0x6A},
    0xFE,
    0,
    0,
    {0x5A, 0xAA, 0xAA},
    {0xAA, 0x6A, 0x95},
    {},
    0,
    0x5A};

}  // namespace

// Records are placed by their sector field, whatever their order. Gaps, volume and track
// are not examined; only the byte that closes the address field is noted when it is not
// the usual one. Each record is checked where it lies in the track, and only the data of
// a record that is taken is copied.
void nib800_read_fields(std::span<const std::uint8_t, NIB800_TRACK_SIZE> record, TTRACK& B,
                        TrackFields& fields, TrackOddities& odd) {
  fields.fill(NO_FIELD);
  odd.fill(0);
  for (std::size_t r = 0; r < SECTORS; ++r) {
    const std::uint8_t* at = record.data() + r * NIB800_SECTOR_RECORD;
    const std::size_t s = at[offsetof(TMSECN, SECTOR)];
    const SectorBytes data(at + offsetof(TMSECN, DATA), sizeof(TSECTOR));
    std::uint8_t kind = at[offsetof(TMSECN, GAP2)] == SECNIDEAL.GAP2[0] ? 0 : ODD_EPILOGUE;
    if (s > MAXSECTOR || !checksum_holds(data, at[offsetof(TMSECN, CRC)], kind)) continue;
    const bool held_sum = fields[s] != NO_FIELD && (odd[s] & ODD_XOR_SUM) == 0;
    if ((kind & ODD_XOR_SUM) != 0 && held_sum) continue;
    std::copy(data.begin(), data.end(), B[s].begin());
    fields[s] = static_cast<std::int32_t>(r);
    odd[s] = kind;
  }
  for (std::size_t s = 0; s < SECTORS; ++s)
    if (fields[s] == NO_FIELD) B[s].fill(UNREAD_FILL);
}

void NIB_READ_TRACK800(std::span<const std::uint8_t, NIB800_TRACK_SIZE> record, std::uint8_t /*T*/,
                       TTRACK& B) {
  TrackFields fields;
  TrackOddities odd;
  nib800_read_fields(record, B, fields, odd);
}

void nib800_write_fields(std::span<std::uint8_t, NIB800_TRACK_SIZE> record,
                         const TrackFields& fields, const TrackOddities& odd, const TTRACK& B) {
  for (std::size_t s = 0; s < SECTORS; ++s) {
    if (fields[s] < 0 || fields[s] >= static_cast<std::int32_t>(SECTORS)) continue;
    std::uint8_t* at = record.data() + static_cast<std::size_t>(fields[s]) * NIB800_SECTOR_RECORD;
    std::memcpy(at + offsetof(TMSECN, DATA), B[s].data(), sizeof(TMSECN::DATA));
    at[offsetof(TMSECN, CRC)] = sector_checksum(B[s], odd[s]);
  }
}

void NIB_WRITE_TRACK800(std::span<std::uint8_t, NIB800_TRACK_SIZE> record, std::uint8_t T,
                        const TTRACK& B) {
  TMSECN SECN = SECNIDEAL;
  SECN.TRACK = T;
  for (std::size_t s = 0; s < SECTORS; ++s) {
    SECN.SECTOR = static_cast<std::uint8_t>(s);
    std::memcpy(SECN.DATA, B[s].data(), sizeof SECN.DATA);
    SECN.CRC = CALCCRC(B[s]);
    std::memcpy(record.data() + s * NIB800_SECTOR_RECORD, &SECN, sizeof SECN);
  }
}

}  // namespace agat
