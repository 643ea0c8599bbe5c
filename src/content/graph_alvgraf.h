// Pictures of the "Alv Graf" editor: a one-bit drawing whose width and height in pixels
// are head bytes 2 and 3, its bits following from byte 4 on without padding.
#pragma once

#include "content/graph_screen.h"
#include "core/world_formats.h"

namespace agat {

// Draws the picture of SIZE loaded bytes onto the cleared frame and tells how to show it.
TGRAPHVIEW draw_alvgraf(const TFILEBUF& BUF, std::int32_t SIZE, TGRAPHSCREEN& SCR);

}  // namespace agat
