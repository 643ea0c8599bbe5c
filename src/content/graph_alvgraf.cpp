#include "content/graph_alvgraf.h"

#include <algorithm>

#include "content/graph_bits.h"

namespace agat {

TGRAPHVIEW draw_alvgraf(const TFILEBUF& BUF, std::int32_t SIZE, TGRAPHSCREEN& SCR) {
  TGRAPHVIEW v;
  SIZE = std::clamp(SIZE, 0, MAXFILESIZE + 1);
  v.W = SIZE > 2 ? BUF[2] : 0;
  v.H = SIZE > 3 ? BUF[3] : 0;
  v.PSW = 3;
  v.PSH = 4;
  v.COMMENT = "Alv Graf";
  CLEARIKC(v.IKC);
  v.IKC[IKCESCAPE] = "Escape";
  TBITREADER reader{BUF.data(), SIZE};
  reader.reset(4);
  for (std::int32_t y = 0; y < v.H; ++y)
    for (std::int32_t x = 0; x < v.W; ++x) SCR.PUTPIXEL(x, y, reader.GETPIX(0, true) ? LIT : 0);
  return v;
}

}  // namespace agat
