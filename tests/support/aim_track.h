// Builds AIM track records for tests: 21 sectors laid out as a stream of 16-bit cells
// (address field, data field, gaps), closed by an end-of-track cell.
#pragma once

#include <cstdint>
#include <vector>

#include "core/aim_800.h"
#include "core/track_checksum.h"
#include "core/world_formats.h"

namespace agat::testing {

inline constexpr std::uint16_t AIM_MARK = 0x100;
inline constexpr std::uint16_t AIM_END = 0x200;

// The cells of one track in stream order, without the end cell.
inline std::vector<std::uint16_t> aim_cells(const TTRACK& sectors, std::uint8_t track,
                                            int gap = 10) {
  std::vector<std::uint16_t> cells;
  for (int s = 0; s <= MAXSECTOR; ++s) {
    cells.insert(cells.end(), gap, 0xFF);
    cells.insert(cells.end(),
                 {AIM_MARK, 0x95, 0x6A, 0xFE, track, static_cast<std::uint16_t>(s), 0x5A});
    cells.insert(cells.end(), gap, 0xFF);
    cells.insert(cells.end(), {AIM_MARK, 0x6A, 0x95});
    for (std::uint8_t b : sectors[s]) cells.push_back(b);
    cells.push_back(CALCCRC(sectors[s]));
    cells.push_back(0x5A);
  }
  return cells;
}

// A whole record: the cells from cell 0 on, the end cell after them, zeros after that.
inline std::vector<std::uint8_t> aim_record(const std::vector<std::uint16_t>& cells) {
  std::vector<std::uint8_t> record(ATRSIZE, 0);
  std::size_t i = 0;
  for (; i < cells.size() && i < AIM_TRACK_CELLS; ++i) {
    record[2 * i] = static_cast<std::uint8_t>(cells[i]);
    record[2 * i + 1] = static_cast<std::uint8_t>(cells[i] >> 8);
  }
  if (i < AIM_TRACK_CELLS) record[2 * i + 1] = AIM_END >> 8;
  return record;
}

}  // namespace agat::testing
