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

namespace {

// Each pixel of the top left WIDTH x HEIGHT of the picture, lit or not, to PUT(x, y, lit).
template <class Put>
void read_mousegraph(const TCATREC& CR, const TFILEBUF& BUF, const TMGSIZE& size,
                     std::int32_t width, std::int32_t height, Put put) {
  TBITREADER reader{BUF.data(), std::clamp(CR.SIZE, 0, MAXFILESIZE + 1)};
  for (std::int32_t y = 0; y < height; ++y) {
    reader.reset(y * size.STRIDE);
    for (std::int32_t x = 0; x < width; ++x) put(x, y, reader.GETPIX(0, true));
  }
}

}  // namespace

std::vector<std::uint8_t> mousegraph_pixels(const TCATREC& CR, const TFILEBUF& BUF,
                                            const TMGSIZE& SIZE) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(SIZE.W) * SIZE.H);
  read_mousegraph(CR, BUF, SIZE, SIZE.W, SIZE.H, [&](std::int32_t x, std::int32_t y, bool lit) {
    pixels[static_cast<std::size_t>(y) * SIZE.W + x] = lit ? LIT : 0;
  });
  return pixels;
}

TGRAPHVIEW draw_mousegraph(const TCATREC& CR, const TFILEBUF& BUF, TGRAPHSCREEN& SCR) {
  TGRAPHVIEW v;
  const TMGSIZE size = mousegraph_size(CR);
  const bool whole = size.WHOLE;
  const std::int32_t width = size.W, height = size.H;
  v.W = std::min(width, SCRSIDE);
  v.H = std::min(height, SCRSIDE);
  v.PSW = 3;
  v.PSH = 4;
  v.COMMENT = whole ? "MouseGraf " + std::to_string(width) + " x " + std::to_string(height)
                    : "MouseGraf FRG";
  CLEARIKC(v.IKC);
  v.IKC[IKCESCAPE] = "Escape";
  read_mousegraph(CR, BUF, size, v.W, v.H, [&SCR](std::int32_t x, std::int32_t y, bool lit) {
    SCR.PUTPIXEL(x, y, lit ? LIT : 0);
  });
  return v;
}

}  // namespace agat
