// Drawing one file panel: the volume identifier, the list of catalog entries with the
// cursor and the marks, the free space, the path and a summary line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/world_formats.h"

namespace agat {

// Draws the panel of MD in columns X1..X2, rows 1..Y2 + 3 (the list on rows 2..Y2).
void PN_MAIN(const TMEDIA& MD, std::int32_t TOP, std::int32_t CURSOR, int X1, int X2, int Y2,
             bool SELECTPANEL);

// The rightmost column of the panel being drawn; panel output is cut there.
extern int X_RANGE;

// Appends S to the output cache, cut so that it does not pass X_RANGE.
void MWRITE_TRUNK(std::string_view S);
// Blanks from the next column up to X_RANGE, then flushes the cache.
void CLREOL();
// L in decimal with at least three digits: 7 gives "007".
std::string VAL2STR000(std::int32_t L);

}  // namespace agat
