#include "content/graph_zx.h"

#include <algorithm>

namespace agat {

namespace {

// ZX colour (0..7, + 8 when bright) to palette index.
constexpr std::array<std::uint8_t, 16> PAL2 = {0, 4,  1, 5,  2,  6,  3,  7,
                                               0, 12, 9, 13, 10, 14, 11, 15};

constexpr const char* kColourText[] = {"Color: ON: White, OFF: Back", "Color: ON: Self,  OFF: Back",
                                       "Color: ON: Self,  OFF: Black"};
constexpr const char* kBrightText[] = {"Bright: ON: off, OFF: off", "Bright: ON: on,  OFF: off",
                                       "Bright: ON: on,  OFF: on"};

// Copies the loaded bytes FROM .. FROM + N - 1 of BUF to OUT; false when the file ends first.
bool copy_loaded(const TFILEBUF& buf, std::int32_t size, std::int32_t from, std::uint8_t* out,
                 std::int32_t n) {
  const std::int32_t have = std::clamp(size - from, 0, n);
  std::copy(buf.begin() + from, buf.begin() + from + have, out);
  return have == n;
}

}  // namespace

bool DECODER(const std::uint8_t* BUF, std::int32_t END, std::int32_t& POS, std::uint8_t* OUT,
             std::int32_t LEN) {
  bool whole = true;
  std::int32_t index = 0;
  auto set = [&](std::int32_t at, std::uint8_t b) {
    if (at < LEN) {
      OUT[at] = b;
    } else {
      whole = false;
    }
  };
  while (index < LEN) {
    if (POS >= END) return false;
    const std::uint8_t c = BUF[POS];
    const std::int32_t count = (c & 0x7F) + 1;
    if (c < 0x80) {
      for (std::int32_t i = 0; i < count; ++i) {
        if (POS + 1 + i >= END) {
          POS = END;
          return false;
        }
        set(index + i, BUF[POS + 1 + i]);
      }
      POS += c + 2;
    } else {
      if (POS + 1 >= END) {
        POS = END;
        return false;
      }
      for (std::int32_t i = 0; i < count; ++i) set(index + i, BUF[POS + 1]);
      POS += 2;
    }
    index += count;
  }
  return whole;
}

void zx_load(const TFILEBUF& BUF, std::int32_t SIZE, TFILEFORMAT FMT, TZXSCREEN& ZX) {
  ZX = TZXSCREEN{};
  SIZE = std::clamp(SIZE, 0, MAXFILESIZE + 1);
  if (content_format(FMT).shown == ContentShown::zx_plain) {
    const std::uint32_t length = SIZE >= 4 ? get_le16(&BUF[2]) : 0;
    ZX.SCRERROR = !copy_loaded(BUF, SIZE, 4, ZX.BITMAP.data(), 6144) || length < 6144;
    ZX.PALERROR = !copy_loaded(BUF, SIZE, 4 + 6144, ZX.ATTR.data(), 768) || length < 6912;
    return;
  }
  std::int32_t pos = 5;
  ZX.SCRERROR = !DECODER(BUF.data(), SIZE, pos, ZX.BITMAP.data(), 6144);
  ZX.PALERROR = !DECODER(BUF.data(), SIZE, pos, ZX.ATTR.data(), 768);
}

void PUTSCR(const TZXSCREEN& ZX, int MODE, int MODEB, TGRAPHSCREEN& SCR) {
  for (std::int32_t n = 0; n < 6144; ++n) {
    const std::uint8_t attr = ZX.ATTR[static_cast<std::size_t>(n % 32 + (n / 256) * 32)];
    const int ink = attr & 7, paper = (attr >> 3) & 7, bright = (attr & 0x40) ? 8 : 0;
    const std::uint8_t lit =
        PAL2[static_cast<std::size_t>((MODE == 0 ? 7 : ink) + (MODEB >= 1 ? bright : 0))];
    const std::uint8_t unlit =
        PAL2[static_cast<std::size_t>((MODE == 2 ? 0 : paper) + (MODEB == 2 ? bright : 0))];
    const std::uint8_t bits = ZX.BITMAP[static_cast<std::size_t>(n)];
    for (std::int32_t b = 0; b < 8; ++b)
      SCR.PUTPIXEL((n % 32) * 8 + b, n / 32, (bits & (0x80 >> b)) ? lit : unlit);
  }
}

TGRAPHVIEW zx_view(const TZXSCREEN& ZX, TFILEFORMAT FMT, int MODE, int MODEB) {
  TGRAPHVIEW v;
  v.W = 256;
  v.H = 192;
  v.COMMENT =
      std::string("ZX/Picler ") +
      (content_format(FMT).shown == ContentShown::zx_plain ? "[not compress]" : "[compress]");
  if (ZX.SCRERROR) v.COMMENT += "{with Scr error}";
  if (ZX.PALERROR) v.COMMENT += "{with Pal error}";
  v.COMMENT += std::string(". ") + kColourText[MODE] + ". " + kBrightText[MODEB];
  CLEARIKC(v.IKC);
  v.IKC[IKCESCAPE] = "Escape";
  if (MODE == 0) v.IKC[IKCDN] = "ON: Self";
  if (MODE == 1) v.IKC[IKCUP] = "ON: White", v.IKC[IKCDN] = "OFF: Black";
  if (MODE == 2) v.IKC[IKCUP] = "OFF: Back";
  if (MODEB == 0) v.IKC[IKCRG] = "ON: on";
  if (MODEB == 1) v.IKC[IKCLF] = "ON: off", v.IKC[IKCRG] = "OFF: on";
  if (MODEB == 2) v.IKC[IKCLF] = "OFF: off";
  return v;
}

void zx_key(TINTKEYCODE KEY, int& MODE, int& MODEB) {
  switch (KEY) {
    case IKCUP:
      MODE = MODE == 1 ? 0 : 1;
      break;
    case IKCDN:
      MODE = MODE == 1 ? 2 : 1;
      break;
    case IKCLF:
      MODEB = MODEB == 1 ? 0 : 1;
      break;
    case IKCRG:
      MODEB = MODEB == 1 ? 2 : 1;
      break;
    default:
      break;
  }
}

}  // namespace agat
