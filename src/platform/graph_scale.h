// How large a picture is drawn: the whole screen pixels per picture pixel, keeping the
// preferred pixel shape as far as the space allows.
#pragma once

namespace agat {

struct GraphScale {
  int SCALEX = 0, SCALEY = 0;  // screen pixels per picture pixel across and down
  int PICRW = 0, PICRH = 0;    // the picture's size on the screen
};

// The scale of a W x H picture whose pixels are best PREFER_SCALE_W : PREFER_SCALE_H, in a
// space of LOCALMAXW x LOCALMAXH screen pixels:
// - when the picture fits at the shape itself, the largest whole multiple SC of the shape
//   with W * PREFER_SCALE_W * SC < LOCALMAXW and H * PREFER_SCALE_H * SC < LOCALMAXH;
// - otherwise as many screen pixels across as fit (LOCALMAXW div W) and the shape's share of
//   that down, rounded to the nearest (halves to even); when that is too high, as many down
//   as fit and the shape's share of that across, but never more than fit across.
// A space too small, or a picture of no pixels, gives scale 0: nothing is drawn.
GraphScale CALC_SCALE(int W, int H, int PREFER_SCALE_W, int PREFER_SCALE_H, int LOCALMAXW,
                      int LOCALMAXH);

}  // namespace agat
