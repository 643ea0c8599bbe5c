#include "content/graph_agat.h"

#include <algorithm>
#include <array>

#include "content/font8.h"
#include "content/graph_bits.h"

namespace agat {

namespace {

// The data bytes of the picture, each looked up only where the file has it.
struct Data {
  const TVIDEODATA& d;
  bool has(std::int32_t i) const { return i >= 0 && d.START + i < d.END; }
  std::uint8_t operator[](std::int32_t i) const { return has(i) ? d.BUF[d.START + i] : 0; }
};

void draw_text(const Data& data, std::int32_t columns, bool pairs, std::uint8_t attribute,
               TGRAPHSCREEN& scr) {
  for (std::int32_t row = 0; row < 32; ++row) {
    for (std::int32_t col = 0; col < columns; ++col) {
      const std::int32_t cell = row * columns + col;
      const std::int32_t at = pairs ? cell * 2 : cell;
      if (!data.has(pairs ? at + 1 : at)) return;
      AGATCHAROUT(scr, col * 8, row * 8, data[at], pairs ? data[at + 1] : attribute);
    }
  }
}

// Two pixels a byte, the high nibble left; the nibble is the palette index.
void draw_nibbles(const Data& data, std::int32_t side, TGRAPHSCREEN& scr) {
  for (std::int32_t y = 0; y < side; ++y) {
    for (std::int32_t b = 0; b < side / 2; ++b) {
      const std::uint8_t v = data[y * (side / 2) + b];
      scr.PUTPIXEL(b * 2, y, v >> 4);
      scr.PUTPIXEL(b * 2 + 1, y, v & 0x0F);
    }
  }
}

// Rows of one-bit or two-bit pixels read in order; with `halves` the even rows come from the
// first 8192 bytes and the odd rows from the next 8192.
void draw_bits(const TVIDEODATA& d, std::int32_t width, std::int32_t rows, bool two_bits,
               bool halves, TGRAPHSCREEN& scr) {
  TBITREADER reader{d.BUF, d.END};
  reader.reset(d.START);
  auto pixel = [&](std::int32_t extra, bool advance) {
    return two_bits ? reader.GETPIX2(extra, advance) : reader.GETPIX(extra, advance) ? LIT : 0;
  };
  const std::int32_t step = halves ? 2 : 1;
  for (std::int32_t y = 0; y < rows; y += step) {
    for (std::int32_t x = 0; x < width; ++x) {
      if (halves) scr.PUTPIXEL(x, y, pixel(0, false));
      scr.PUTPIXEL(x, y + step - 1, pixel(halves ? 8192 : 0, true));
    }
  }
}

// The offsets of the Apple's groups of eight rows.
constexpr std::array<std::int32_t, 24> T = [] {
  std::array<std::int32_t, 24> t{};
  for (std::int32_t i = 0; i < 24; ++i)
    t[static_cast<std::size_t>(i)] = (i % 8) * 128 + (i / 8) * 40;
  return t;
}();

// Each pixel shows one bit late, coloured by its neighbours, the column's parity and the
// palette bit of the byte that holds the bit after it.
void draw_apple(const Data& data, TGRAPHSCREEN& scr) {
  for (std::int32_t y = 0; y < 192; ++y) {
    const std::int32_t row = T[static_cast<std::size_t>(y / 8)] + (y % 8) * 1024;
    bool p1 = false, p2 = false, parity = false;
    for (std::int32_t k = 0; k < 280; ++k) {
      const std::uint8_t byte = data[row + k / 7];
      const bool p3 = (byte >> (k % 7)) & 1;
      std::uint8_t colour = 0;
      if (p2 && (p1 || p3)) {
        colour = LIT;
      } else if (p2) {
        colour = (byte & 0x80) ? (parity ? 12 : 9) : (parity ? 10 : 13);
      }
      scr.PUTPIXEL(k, y, colour);
      p1 = p2;
      p2 = p3;
      parity = !parity;
    }
  }
}

}  // namespace

TVIDEODATA gp_video_data(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT) {
  TVIDEODATA d;
  d.BUF = BUF.data();
  d.END = std::clamp(CR.SIZE, 0, MAXFILESIZE + 1);
  if (content_format(FMT).b_head) {
    d.START = 4;
    if (d.END >= 4) d.SIZE = get_le16(&BUF[2]);
  } else {
    d.SIZE = get_le16(&CR.TSDATA[5]);  // T/S-list bytes 8..9
  }
  return d;
}

void draw_agat(const TVIDEODATA& DATA, TFILEGFORMAT MODE, TGRAPHSCREEN& SCR) {
  const Data data{DATA};
  switch (MODE) {
    case FGFTEXT64N:
      return draw_text(data, 64, false, 0xFF, SCR);
    case FGFTEXT64I:
      return draw_text(data, 64, false, 0x07, SCR);
    case FGFTEXT32:
      return draw_text(data, 32, true, 0, SCR);
    case FGFLGR7:
      return draw_nibbles(data, 64, SCR);
    case FGFMGR:
      return draw_nibbles(data, 128, SCR);
    case FGFHGR:
      return draw_bits(DATA, 256, 256, false, false, SCR);
    case FGFAPPLE:
      return draw_apple(data, SCR);
    case FGFMGR9:
      return draw_bits(DATA, 256, 256, true, true, SCR);
    case FGFHGR9:
      return draw_bits(DATA, 512, 256, false, true, SCR);
  }
}

void CHAROUT(TGRAPHSCREEN& SCR, std::int32_t X, std::int32_t Y, std::uint8_t CH, std::uint8_t FG,
             std::uint8_t BG) {
  const TGLYPH8& glyph = FONT8[CH];
  for (std::int32_t row = 0; row < 8; ++row)
    for (std::int32_t col = 0; col < 8; ++col)
      SCR.PUTPIXEL(X + col, Y + row,
                   (glyph[static_cast<std::size_t>(row)] & (0x80 >> col)) ? FG : BG);
}

void AGATCHAROUT(TGRAPHSCREEN& SCR, std::int32_t X, std::int32_t Y, std::uint8_t CH,
                 std::uint8_t ATTR) {
  const std::uint8_t colour = ATTR & 7;
  if (ATTR & 0x20) {
    CHAROUT(SCR, X, Y, CH, colour, 0);
  } else if (ATTR & 0x08) {
    CHAROUT(SCR, X, Y, CH, 8, colour);
  } else {
    CHAROUT(SCR, X, Y, CH, 0, colour);
  }
}

}  // namespace agat
