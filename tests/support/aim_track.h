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
  return aim800_cells(sectors, track, gap);
}

// A whole record: the cells from cell 0 on, the end cell after them, zeros after that.
inline std::vector<std::uint8_t> aim_record(const std::vector<std::uint16_t>& cells) {
  std::vector<std::uint8_t> record(ATRSIZE, 0);
  aim800_record(cells, std::span<std::uint8_t, ATRSIZE>(record.data(), ATRSIZE));
  return record;
}

}  // namespace agat::testing
