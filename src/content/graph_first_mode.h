// The first reading of a video-memory picture. Its length selects the modes of that size;
// where several of them draw pixels (8 KB: MGR or HGR, 16 KB: MGR9 or HGR9), the picture
// is drawn in each and the one that holds together best is shown first: a real picture has
// areas of one colour, and the wrong reading smears them into noise. The arrow keys reach
// the others as before.
#pragma once

#include <cstdint>

#include "content/graph_agat.h"

namespace agat {

// How much more often horizontally or vertically neighbouring pixels of the W x H part of
// SCR share a colour than two pixels taken at random from it would: 1 when all of them do,
// 0 when no more than chance, below 0 when fewer. A part of one colour counts as 1.
double gp_coherence(const TGRAPHSCREEN& SCR, std::int32_t W, std::int32_t H);

// The mode DATA is shown in first. The modes of its stated length (of its loaded length
// when it states none) are tried in table order, and a later one is taken only when it is
// clearly less disordered than the best before it, so that data no mode makes sense of
// keeps the first. Lengths whose modes include a text mode, whose cells are not pixels to
// compare, keep the first mode of that size, as does a length no mode has (MGR).
TFILEGFORMAT gp_first_mode(const TVIDEODATA& DATA);

}  // namespace agat
