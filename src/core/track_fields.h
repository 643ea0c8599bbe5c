// Where the reader of a track record found the data field of each sector, so that a
// save can rewrite a changed sector in place and leave the rest of the record, sectors
// that did not decode included, exactly as it was read.
#pragma once

#include <array>
#include <cstdint>

#include "core/world_formats.h"

namespace agat {

// Per sector number: the position in the record (a byte, a cell or a sector record,
// as the codec counts) from which its data field is written in place, or NO_FIELD for
// a sector that did not decode.
using TrackFields = std::array<std::int32_t, MAXSECTOR + 1>;
inline constexpr std::int32_t NO_FIELD = -1;

}  // namespace agat
