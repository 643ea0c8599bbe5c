#include "core/mfm_track.h"

#include <algorithm>
#include <vector>

#include "core/aim_800.h"
#include "core/track_checksum.h"

namespace agat {

namespace {

constexpr std::uint16_t MARK = 0x100;
constexpr std::uint16_t END_OF_TRACK = 0x200;
constexpr int FIELD_BYTES = 256 + 2;  // data, checksum, closing byte
class Cells {
 public:
  Cells(std::uint8_t* bits, std::uint32_t count) : bits_(bits), count_(count) {}
  int get(std::uint32_t at) const {  // AT below the count
    return (bits_[at >> 3] >> (at & 7)) & 1;
  }
  void set(std::uint32_t at, int v) {
    at %= count_;
    const auto bit = static_cast<std::uint8_t>(1u << (at & 7));
    bits_[at >> 3] = static_cast<std::uint8_t>(v ? bits_[at >> 3] | bit : bits_[at >> 3] & ~bit);
  }
  // Writes byte V from cell AT on: a clock cell before each data cell, set between two
  // zeros; the clock of the first bit follows the data cell before AT.
  void put_byte(std::uint32_t at, std::uint8_t v) {
    int previous = get((at + count_ - 1) % count_);
    for (int k = 7; k >= 0; --k, at += 2) {
      const int bit = (v >> k) & 1;
      set(at, previous == 0 && bit == 0);
      set(at + 1, bit);
      previous = bit;
    }
  }
  void put_raw(std::uint32_t at, std::uint32_t cells, int n) {
    for (int k = n - 1; k >= 0; --k) set(at++, (cells >> k) & 1);
  }

 private:
  std::uint8_t* bits_;
  std::uint32_t count_;
};

// The byte stream of the track as AIM cells, and the cell where each byte starts.
struct Decoded {
  std::vector<std::uint8_t> cells;
  std::vector<std::uint32_t> starts;
  void push(std::uint16_t cell, std::uint32_t start) {
    cells.push_back(static_cast<std::uint8_t>(cell));
    cells.push_back(static_cast<std::uint8_t>(cell >> 8));
    starts.push_back(start);
  }
};

// The decoding runs once round the circle from the first sync mark, so that no field is cut
// in two by where the record happens to begin. Each mark starts a byte boundary; 16 cells
// later and every 16 cells after that a byte ends (its data in the odd cells), until the
// next mark.
Decoded decode(const Cells& cells, std::uint32_t count) {
  Decoded out;
  std::uint32_t window = 0, first = count;
  for (std::uint32_t at = 0; at < count + 31 && first == count; ++at) {
    window = (window << 1) | static_cast<std::uint32_t>(cells.get(at < count ? at : at - count));
    if (at >= 31 && window == MFM_SYNC) first = at - 31;
  }
  out.cells.reserve(2 * count / 16 + 4);
  if (first == count) {
    out.push(END_OF_TRACK, 0);
    return out;
  }
  // BYTE_END: the cells still to come before the byte being gathered ends; -1 before a mark.
  int byte_end = -1;
  std::uint32_t i = first;
  window = 0;
  for (std::uint32_t n = 0; n < count; ++n, i = i + 1 == count ? 0 : i + 1) {
    window = (window << 1) | static_cast<std::uint32_t>(cells.get(i));
    if (window == MFM_SYNC) {
      out.push(MARK, i);
      byte_end = 16;
    } else if (byte_end > 0 && --byte_end == 0) {
      std::uint8_t v = 0;
      for (int k = 0; k < 8; ++k)
        v = static_cast<std::uint8_t>(v << 1 | ((window >> (14 - 2 * k)) & 1));
      out.push(v, i >= 15 ? i - 15 : i + count - 15);
      byte_end = 16;
    }
  }
  out.push(END_OF_TRACK, 0);
  return out;
}

}  // namespace

std::uint32_t mfm_cell_count(std::span<const std::uint8_t> record) {
  if (record.size() < 4) return 0;
  const std::uint32_t n = get_le32(record.data());
  return n <= (record.size() - 4) * 8 ? n : 0;
}

void mfm_read_fields(std::span<const std::uint8_t> record, TTRACK& B, TrackFields& fields,
                     TrackOddities& odd) {
  fields.fill(NO_FIELD);
  odd.fill(0);
  for (TSECTOR& s : B) s.fill(UNREAD_FILL);
  const std::uint32_t count = mfm_cell_count(record);
  if (count < 32) return;
  const Cells cells(const_cast<std::uint8_t*>(record.data() + 4), count);
  const Decoded d = decode(cells, count);
  aim800_read_cells(d.cells, B, fields, odd);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    if (fields[s] == NO_FIELD) continue;
    // A mark among the data would be lost by a rewrite: the sector reads, but stays as it is.
    const auto first = static_cast<std::size_t>(fields[s]);
    const bool straight = (odd[s] & ODD_SYNC_DATA) == 0 && first + FIELD_BYTES <= d.starts.size() &&
                          (d.starts[first + FIELD_BYTES - 1] + count - d.starts[first]) % count ==
                              16u * (FIELD_BYTES - 1);
    fields[s] = straight ? static_cast<std::int32_t>(d.starts[first]) : NO_FIELD;
  }
}

void mfm_write_fields(std::span<std::uint8_t> record, const TrackFields& fields,
                      const TrackOddities& odd, const TTRACK& B) {
  const std::uint32_t count = mfm_cell_count(record);
  if (count < 32) return;
  Cells cells(record.data() + 4, count);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    if (fields[s] < 0 || static_cast<std::uint32_t>(fields[s]) >= count) continue;
    std::uint32_t at = static_cast<std::uint32_t>(fields[s]);
    for (const std::uint8_t b : B[s]) cells.put_byte(at, b), at += 16;
    cells.put_byte(at, sector_checksum(B[s], odd[s]));
    cells.put_byte(at + 16, 0x5A);
  }
}

void mfm_encode_track(std::span<std::uint8_t> record, std::uint8_t T, const TTRACK& B) {
  std::fill(record.begin(), record.end(), 0);
  put_le32(record.data(), MFM_NEW_TRACK_CELLS);
  Cells cells(record.data() + 4, MFM_NEW_TRACK_CELLS);
  std::uint32_t at = 0;
  const auto bytes = [&](std::initializer_list<std::uint8_t> list) {
    for (const std::uint8_t b : list) cells.put_byte(at, b), at += 16;
  };
  const auto gap = [&](int n) {
    while (n-- > 0) bytes({0xAA});
  };
  const auto sync = [&] {
    cells.put_raw(at, MFM_SYNC, 32);
    at += 32;
  };
  gap(13);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    sync();
    bytes({0x95, 0x6A, 0xFE, T, static_cast<std::uint8_t>(s), 0x5A});
    gap(5);
    sync();
    bytes({0x6A, 0x95});
    for (const std::uint8_t b : B[s]) bytes({b});
    bytes({CALCCRC(B[s]), 0x5A});
    gap(22);
  }
}

}  // namespace agat
