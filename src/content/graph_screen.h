// The frame that picture files are decoded into, and what a decoder hands to the graphics
// window with it: the size of the picture, the shape of its pixels, a comment and the keys
// it offers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "content/key_comments.h"

namespace agat {

// Width and height of the frame in pixels.
inline constexpr std::int32_t SCRSIDE = 512;

// Pixel (X, Y) is a palette index, 0..15: 0 black, 1 dark red, 2 dark green, 3 dark
// yellow, 4 dark blue, 5 dark magenta, 6 dark cyan, 7 grey, 8 dark grey, 9 red, 10 green,
// 11 yellow, 12 blue, 13 magenta, 14 cyan, 15 white.
struct TGRAPHSCREEN {
  std::array<std::uint8_t, SCRSIDE * SCRSIDE> P{};  // row by row: P[Y * SCRSIDE + X]

  void CLEARSCREEN() { P.fill(0); }
  // A pixel outside the frame is dropped.
  void PUTPIXEL(std::int32_t X, std::int32_t Y, std::uint8_t C) {
    if (X >= 0 && X < SCRSIDE && Y >= 0 && Y < SCRSIDE)
      P[static_cast<std::size_t>(Y * SCRSIDE + X)] = C;
  }
  std::uint8_t at(std::int32_t X, std::int32_t Y) const {
    return P[static_cast<std::size_t>(Y * SCRSIDE + X)];
  }
};

// One showing of a picture: the used part of the frame from its top left corner, the
// preferred shape of a pixel (width : height), the comment under the picture and the key
// hints (the texts are static or live as long as the decoder).
struct TGRAPHVIEW {
  std::int32_t W = 0, H = 0;
  std::int32_t PSW = 1, PSH = 1;
  std::string COMMENT;
  TINTKEYCOMMENTS IKC{};
};

// The palette index of a lit pixel in the one-bit pictures.
inline constexpr std::uint8_t LIT = 15;

}  // namespace agat
