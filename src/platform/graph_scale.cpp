#include "platform/graph_scale.h"

#include <algorithm>

namespace agat {

namespace {

// A / B rounded to the nearest integer, halves to the even one (A >= 0, B > 0).
int round_half_even(int a, int b) {
  const int q = a / b, r = a % b;
  if (2 * r > b || (2 * r == b && q % 2 == 1)) return q + 1;
  return q;
}

}  // namespace

GraphScale CALC_SCALE(int W, int H, int PREFER_SCALE_W, int PREFER_SCALE_H, int LOCALMAXW,
                      int LOCALMAXH) {
  GraphScale s;
  if (W <= 0 || H <= 0 || PREFER_SCALE_W <= 0 || PREFER_SCALE_H <= 0) return s;
  const int max_w = std::max(LOCALMAXW, 0), max_h = std::max(LOCALMAXH, 0);
  if (W * PREFER_SCALE_W < max_w && H * PREFER_SCALE_H < max_h) {
    const int sc = std::min((max_w - 1) / (W * PREFER_SCALE_W), (max_h - 1) / (H * PREFER_SCALE_H));
    s.SCALEX = sc * PREFER_SCALE_W;
    s.SCALEY = sc * PREFER_SCALE_H;
  } else {
    s.SCALEX = max_w / W;
    s.SCALEY = round_half_even(s.SCALEX * PREFER_SCALE_H, PREFER_SCALE_W);
    if (H * s.SCALEY > max_h) {
      s.SCALEY = max_h / H;
      s.SCALEX = std::min(round_half_even(s.SCALEY * PREFER_SCALE_W, PREFER_SCALE_H), max_w / W);
    }
  }
  s.PICRW = W * s.SCALEX;
  s.PICRH = H * s.SCALEY;
  return s;
}

}  // namespace agat
