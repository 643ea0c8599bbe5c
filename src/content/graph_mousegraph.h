// Files of the "MouseGraph" editor ("MGR." K files). T/S-list bytes 6 and 7 give the size:
// for a fragment its width and height in pixels, each row starting at a new byte; for a
// picture saved whole its width in units of 16 pixels and its height in units of 16 rows,
// in rows of (width units x 2) bytes. A whole picture is recognised by its loaded size
// (whole sectors): at least the bytes its size needs and less than 512 more; a fragment
// loads far fewer.
#pragma once

#include <cstdint>
#include <vector>

#include "content/graph_screen.h"
#include "core/world_formats.h"

namespace agat {

// Whether the loaded file of entry CR is a picture saved whole.
bool mousegraph_whole(const TCATREC& CR);

// The picture's size in pixels and the bytes of each of its rows.
struct TMGSIZE {
  std::int32_t W = 0, H = 0, STRIDE = 0;
  bool WHOLE = false;
};
TMGSIZE mousegraph_size(const TCATREC& CR);

// Every pixel of the picture however large, row by row (0 or LIT): a whole picture that the
// frame would cut, for a PNG file of it all.
std::vector<std::uint8_t> mousegraph_pixels(const TCATREC& CR, const TFILEBUF& BUF,
                                            const TMGSIZE& SIZE);

// Draws the fragment or whole picture onto the cleared frame (a whole picture wider or
// taller than the frame keeps its top left part) and tells how to show it.
TGRAPHVIEW draw_mousegraph(const TCATREC& CR, const TFILEBUF& BUF, TGRAPHSCREEN& SCR);

}  // namespace agat
