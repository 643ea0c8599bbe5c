// New AIM track records, laid out as a drive would have written the track.
#include <algorithm>

#include "core/aim_800.h"
#include "core/track_checksum.h"

namespace agat {

namespace {

constexpr std::uint16_t MARK = 0x100;
constexpr std::uint16_t END_OF_TRACK = 0x200;

bool unread(const TTRACK& B) {
  return std::all_of(B.begin(), B.end(), [](const TSECTOR& s) {
    return std::all_of(s.begin(), s.end(), [](std::uint8_t b) { return b == UNREAD_FILL; });
  });
}

}  // namespace

std::vector<std::uint16_t> aim800_cells(const TTRACK& B, std::uint8_t T, int gap) {
  std::vector<std::uint16_t> cells;
  for (int s = 0; s <= MAXSECTOR; ++s) {
    cells.insert(cells.end(), gap, 0xFF);
    cells.insert(cells.end(), {MARK, 0x95, 0x6A, 0xFE, T, static_cast<std::uint16_t>(s), 0x5A});
    cells.insert(cells.end(), gap, 0xFF);
    cells.insert(cells.end(), {MARK, 0x6A, 0x95});
    for (std::uint8_t b : B[s]) cells.push_back(b);
    cells.push_back(CALCCRC(B[s]));
    cells.push_back(0x5A);
  }
  return cells;
}

void aim800_record(const std::vector<std::uint16_t>& cells,
                   std::span<std::uint8_t, ATRSIZE> record) {
  std::fill(record.begin(), record.end(), 0);
  std::size_t i = 0;
  for (; i < cells.size() && i < AIM_TRACK_CELLS; ++i) {
    record[2 * i] = static_cast<std::uint8_t>(cells[i]);
    record[2 * i + 1] = static_cast<std::uint8_t>(cells[i] >> 8);
  }
  if (i < AIM_TRACK_CELLS) record[2 * i + 1] = END_OF_TRACK >> 8;
}

void aim800_encode_track(std::span<std::uint8_t, ATRSIZE> record, std::uint8_t T, const TTRACK& B) {
  aim800_record(unread(B) ? std::vector<std::uint16_t>{} : aim800_cells(B, T), record);
}

}  // namespace agat
