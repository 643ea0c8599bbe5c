#include "content/graph_mousegraph.h"

#include <algorithm>

#include "content/graph_bits.h"

namespace agat {

namespace {

// T/S-list bytes 6 and 7.
std::int32_t size_byte_6(const TCATREC& cr) {
  return cr.TSDATA[3];
}
std::int32_t size_byte_7(const TCATREC& cr) {
  return cr.TSDATA[4];
}

}  // namespace

bool mousegraph_whole(const TCATREC& CR) {
  const std::int32_t needed = size_byte_6(CR) * 2 * size_byte_7(CR) * 16;
  return needed > 0 && CR.SIZE >= needed && CR.SIZE < needed + 512;
}

TMGSIZE mousegraph_size(const TCATREC& CR) {
  TMGSIZE s;
  s.WHOLE = mousegraph_whole(CR);
  const std::int32_t units = s.WHOLE ? 16 : 1;
  s.W = size_byte_6(CR) * units;
  s.H = size_byte_7(CR) * units;
  s.STRIDE = s.WHOLE ? size_byte_6(CR) * 2 : s.W / 8 + 1;
  return s;
}

TGRAPHVIEW draw_mousegraph(const TCATREC& CR, const TFILEBUF& BUF, TGRAPHSCREEN& SCR) {
  TGRAPHVIEW v;
  const TMGSIZE size = mousegraph_size(CR);
  const bool whole = size.WHOLE;
  const std::int32_t width = size.W, height = size.H, stride = size.STRIDE;
  v.W = std::min(width, SCRSIDE);
  v.H = std::min(height, SCRSIDE);
  v.PSW = 3;
  v.PSH = 4;
  v.COMMENT = whole ? "MouseGraf " + std::to_string(width) + " x " + std::to_string(height)
                    : "MouseGraf FRG";
  CLEARIKC(v.IKC);
  v.IKC[IKCESCAPE] = "Escape";
  TBITREADER reader{BUF.data(), std::clamp(CR.SIZE, 0, MAXFILESIZE + 1)};
  for (std::int32_t y = 0; y < v.H; ++y) {
    reader.reset(y * stride);
    for (std::int32_t x = 0; x < v.W; ++x) SCR.PUTPIXEL(x, y, reader.GETPIX(0, true) ? LIT : 0);
  }
  return v;
}

}  // namespace agat
